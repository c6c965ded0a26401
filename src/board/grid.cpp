#include "grid.h"

#include "forms/units.h"

#include <QFontInfo>
#include <QLabel>

#include <algorithm>

namespace {

// With the fixed-size letter template a low window could never satisfy the fitting, so the
// letters shrink no further than this.
constexpr float smallestLetterPoints = 8.0f;
// The letter template fits while this many of it, less the allowance, are no taller than the
// window.
constexpr float lettersTall = 10.0f;
constexpr float tallAllowance = 1000.0f;

// Left edge of the first column, and the least room between two cells of the designed grid.
constexpr float gridLeft = 500.0f;
constexpr float cellGap = 90.0f;
// The designed steps share the window's width among the columns, and its height among one more
// share than there are rows.
constexpr float columnShares = GridColumns;
constexpr float rowShares = GridRows + 1;
// Between the first and the last cell of a row or column.
constexpr float stepsAcross = GridColumns - 1;
constexpr float stepsDown = GridRows - 1;
// A shrunk grid keeps a quarter of a cell between cells, so that a hand code reads clearly as
// its own letter's, not as the next row's: five cells and their gaps take six cells' room.
constexpr float spacedCell = 1.25f;
constexpr float cellsWithGaps = GridColumns + stepsAcross * (spacedCell - 1.0f);
static_assert(GridColumns == GridRows, "one room for the cells with their gaps, across and down");

} // namespace

GridLayout LayOutGrid(const GridRoom& room)
{
    const float cellWidth = float(std::max(room.letter.width(), room.hand.width()));
    const float cellHeight = float(room.letter.height() + room.hand.height());
    // One pixel spare, as every edge is rounded to whole pixels.
    const float roomWidth = room.clientWidth - forms::TwipsPerPixelX() - gridLeft;
    const float roomHeight = room.clientHeight - forms::TwipsPerPixelY();
    const float designedColumn = (room.outerWidth - OuterMargin) / columnShares + room.textWidth;
    const float designedRow = (room.outerHeight - OuterMargin) / rowShares + room.textHeight;

    const auto apart = [](float step, float cell) { return step >= cell + cellGap; };
    if (apart(designedColumn, cellWidth) && apart(designedRow, cellHeight) &&
        stepsAcross * designedColumn + cellWidth <= roomWidth &&
        stepsDown * designedRow + cellHeight <= roomHeight)
        return {designedColumn, designedRow, 1.0f, room.letterPoints, room.handPoints};

    // The largest cells for which five fit across and down with the gaps between them; the
    // letters never grow past what the fitting left them.
    const float fits = std::min(
        {1.0f, roomWidth / (cellsWithGaps * cellWidth), roomHeight / (cellsWithGaps * cellHeight)});
    const qreal points = std::max(qreal(smallestLetterPoints),
                                  std::min(room.letterPoints, room.handPoints * qreal(fits)));
    const float scale = float(points / room.handPoints);
    // Along each side the designed step where it keeps the cells spaced and inside, else the
    // cells spread to the far edge, never closer than spaced.
    const auto step = [](float designed, float cell, float length, float steps) {
        return std::max(cell * spacedCell, std::min(designed, (length - cell) / steps));
    };
    return {step(designedColumn, cellWidth * scale, roomWidth, stepsAcross),
            step(designedRow, cellHeight * scale, roomHeight, stepsDown), scale, points, points};
}

QList<QPointF> LetterCorners(float columnStep, float rowStep)
{
    QList<QPointF> corners;
    float y = 0.0f;
    for (int row = 1; row <= GridRows; ++row) {
        float x = gridLeft;
        for (int column = 1; column <= GridColumns; ++column) {
            corners << QPointF(x, y);
            x = columnStep + x;
        }
        y = rowStep + y;
    }
    return corners;
}

void FitLetterTemplate(QLabel* letter, float outerHeight)
{
    const auto tooTall = [letter, outerHeight] {
        return forms::Height(letter) * lettersTall - tallAllowance > outerHeight;
    };
    while (tooTall()) {
        // The size the font really has on this screen, which may differ from the size set.
        const float s = float(QFontInfo(letter->font()).pointSizeF());
        if (s - 1.0f < smallestLetterPoints)
            break;
        QFont font = letter->font();
        font.setPointSizeF(s - 1.0f);
        letter->setFont(font);
    }
}

void FitTemplates(QLabel* letter, QLabel* hand, const GridLayout& layout)
{
    if (layout.scale == 1.0f)
        return;
    for (QLabel* label : {letter, hand}) {
        QFont font = label->font();
        font.setPointSizeF(label == letter ? layout.letterPoints : layout.handPoints);
        label->setFont(font);
        label->resize(forms::PixelsX(forms::Width(label) * layout.scale),
                      forms::PixelsY(forms::Height(label) * layout.scale));
    }
}
