#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>

class QLabel;

// The board's grid of letters with a hand code under each: five rows of five cells, numbered
// from 1 in reading order.
constexpr int GridColumns = 5;
constexpr int GridRows = 5;
constexpr int GridCells = GridColumns * GridRows;
// What the designed steps and the flash leave out of the window's outer size, in twips.
constexpr float OuterMargin = 500.0f;

// What the grid has to fit into, in twips: the window with its frame, its client area, the window
// font's "A" and line, the letter and hand templates, and the font sizes after the fitting.
struct GridRoom {
    float outerWidth, outerHeight;
    float clientWidth, clientHeight;
    float textWidth, textHeight;
    QSizeF letter, hand;
    qreal letterPoints, handPoints;
};

// The grid's column and row steps, the size of its labels relative to the templates, and the
// font size of letters and hands alike.
struct GridLayout {
    float columnStep, rowStep;
    float scale;
    qreal letterPoints, handPoints;
};

// Where the designed steps keep every cell apart and inside the client area, the designed grid.
// Elsewhere letters and hands shrink together, never below 8 points, and the steps keep a gap
// between cells.
GridLayout LayOutGrid(const GridRoom& room);

// The top left corner of each letter label, in twips in the client area, cell 1 first: each
// row starts at the grid's left edge, and every step is added in single precision.
QList<QPointF> LetterCorners(float columnStep, float rowStep);

// Shrinks the letter template a point at a time while ten of it, less 1000 twips, stand taller
// than the window's outer height.
void FitLetterTemplate(QLabel* letter, float outerHeight);

// Letters and hands take the grid's font size, their templates growing or shrinking with it.
void FitTemplates(QLabel* letter, QLabel* hand, const GridLayout& layout);
