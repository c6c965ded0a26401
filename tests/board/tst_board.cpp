#include "board/frmTrevolo.h"
#include "board/grid.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "forms/random.h"
#include "forms/units.h"
#include "support/program.h"

#include <QAccessible>
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

// The letter size the fitting stops at when the window can never be satisfied.
constexpr qreal smallestPoints = 8.0;

// The design's figures in twips for the board maximised on 1920 x 1080, else on the offscreen
// 800 x 800: the flash W - 500 wide, the steps (W - 500) / 5 and (H - 500) / 6 before TW and TH.
struct Designed {
    float flashWidth, column, row;
};
Designed designedFor(QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size())
{
    return screen == QSize(1920, 1080) ? Designed{28300.0f, 5660.0f, 2616.6667f}
                                       : Designed{11500.0f, 2300.0f, 1916.6666f};
}

// Follows the font like a label that sizes itself, noting each size set and its read-back.
class FollowsFont : public QObject {
public:
    float twipsPerPoint;
    QList<qreal> set, readBack;

    explicit FollowsFont(float twipsPerPoint)
        : twipsPerPoint(twipsPerPoint)
    {
    }

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::FontChange) {
            auto* label = static_cast<QLabel*>(object);
            set << label->font().pointSizeF();
            readBack << QFontInfo(label->font()).pointSizeF();
            resize(label);
        }
        return false;
    }

    void resize(QLabel* label) const
    {
        const float points = float(QFontInfo(label->font()).pointSizeF());
        label->resize(label->width(), forms::PixelsY(points * twipsPerPoint));
    }
};

// The 25 letter and 25 hand labels of a grid, as pixel rectangles in the client area.
struct Cells {
    QList<QRect> letters, hands;
};

// Every label inside `client`, and at least a pixel between the labels of different cells.
void checkCellsApart(const Cells& cells, const QRect& client)
{
    for (qsizetype a = 0; a < cells.letters.size(); ++a) {
        for (const QRect& label : {cells.letters[a], cells.hands[a]}) {
            QVERIFY2(client.contains(label),
                     qPrintable(QStringLiteral("cell %1 outside").arg(a + 1)));
            for (qsizetype b = a + 1; b < cells.letters.size(); ++b)
                for (const QRect& other : {cells.letters[b], cells.hands[b]})
                    QVERIFY2(
                        !label.adjusted(-1, -1, 1, 1).intersects(other),
                        qPrintable(QStringLiteral("cells %1 and %2 touch").arg(a + 1).arg(b + 1)));
        }
    }
}

} // namespace

class tst_board : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }
    void cleanup() { frmTrevolo::Descargar(); }

    void builtForTheMaximisedWindow();
    void gridFollowsTheFormulas();
    void flashLabelIsCentred();
    void buildsOnlyOnce();
    void handsRedrawnEvery600Seconds();
    void fixedTemplateFitting_data();
    void fixedTemplateFitting();
    void fittingSetsReadBackLessOne();
    void gridFitsTheScreen_data();
    void gridFitsTheScreen();
    void builtGridFitsTheWindow();
    void boardsDifferWithTheClock();
    void labelsSpeakTheirText();
};

void tst_board::builtForTheMaximisedWindow()
{
    QSize frameAtBuild;
    testing::RunBoard([&](frmTrevolo& board) { frameAtBuild = board.frameGeometry().size(); });
    QCOMPARE(frameAtBuild, QGuiApplication::primaryScreen()->availableGeometry().size());
    frmTrevolo& board = frmTrevolo::Instancia();
    QVERIFY(board.bSed);
    QCOMPARE(board.miAncho, designedFor().column + forms::TextWidth(board.font(), "A"));
}

void tst_board::gridFollowsTheFormulas()
{
    testing::RunBoard([](frmTrevolo& board) {
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVXYZ");
        const float miAncho = designedFor().column + forms::TextWidth(board.font(), "A");
        const float miLargo = designedFor().row + forms::TextHeight(board.font());
        QCOMPARE(board.miAncho, miAncho);
        QCOMPARE(board.miLargo, miLargo);
        QCOMPARE(board.Letras.size(), 26);
        QCOMPARE(board.Letras[0], QString());
        QCOMPARE(board.Manos, QStringList({"I", "D", "J", "I", "J"}));

        // Cell k in row (k - 1) div 5 and column (k - 1) mod 5 from 0, its hand under its letter.
        for (int k = 1; k <= 25; ++k) {
            const float x = 500.0f + float((k - 1) % 5) * miAncho, y = float((k - 1) / 5) * miLargo;
            QLabel* letter = board.lblLetra(k);
            QLabel* hand = board.lblMano(k);
            QCOMPARE(letter->text(), letters.mid(k - 1, 1));
            QCOMPARE(letter->pos(), QPoint(forms::PixelsX(x), forms::PixelsY(y)));
            QCOMPARE(letter->size(), board.lblLetra(0)->size());
            QCOMPARE(hand->pos(), QPoint(forms::PixelsX(x), forms::PixelsY(735.0f + y)));
            QCOMPARE(hand->size(), board.lblMano(0)->size());
            QVERIFY(letter->isVisible() && hand->isVisible());
        }
        QVERIFY(!board.lblLetra(0)->isVisible());
        QVERIFY(!board.lblMano(0)->isVisible());
        QCOMPARE(board.lblLetra(0)->pos(), QPoint(forms::PixelsX(300), forms::PixelsY(360)));
        QCOMPARE(board.lblMano(0)->text(), QStringLiteral("I"));
        QVERIFY(!board.lblSedu->isVisible());
    });
}

void tst_board::flashLabelIsCentred()
{
    testing::RunBoard([](frmTrevolo& board) {
        QCOMPARE(board.lblSedu->width(), forms::PixelsX(designedFor().flashWidth));
        const QPoint offset = board.lblSedu->geometry().center() - board.client->rect().center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    });
}

void tst_board::buildsOnlyOnce()
{
    testing::RunBoard([](frmTrevolo& board) {
        board.hide();
        board.show();
        board.setWindowState(Qt::WindowMinimized);
        QTest::qWait(50);
        QCOMPARE(board.lblLetra.Count(), 26);
        QCOMPARE(board.lblMano.Count(), 26);
    });
}

void tst_board::handsRedrawnEvery600Seconds()
{
    // Every random draw is a hand being drawn: note when, on the program's clock.
    const auto generator = testing::SeededRnd(7);
    QList<float> drawnAt;
    forms::SetRndSource([&] {
        drawnAt << forms::Timer();
        return generator();
    });
    QString first, second;
    testing::RunBoardUntilEnd([&](frmTrevolo& board) {
        first = testing::Hands(board);
        testing::After(1000.0, &board, [&] {
            second = testing::Hands(board);
            forms::End();
        });
    });
    QVERIFY(!second.isEmpty() && second != first);
    // In 1000 s, two boards, each drawn at once, 600 s apart.
    drawnAt.erase(std::unique(drawnAt.begin(), drawnAt.end()), drawnAt.end());
    QCOMPARE(drawnAt.size(), 2);
    testing::CompareSpan(drawnAt[0], drawnAt[1], 600.0f);
}

void tst_board::fixedTemplateFitting_data()
{
    // The template's height is fixed; the window's outer height H decides. Pixel sizes make an
    // exact 10 h - 1000 = H impossible, so the rows sit on either side of it.
    QTest::addColumn<int>("templatePixels");
    QTest::addColumn<bool>("keeps");
    // The board is maximised: its outer height is the screen's available height.
    const int H = QGuiApplication::primaryScreen()->availableGeometry().height();
    const float tpp = forms::TwipsPerPixelY();
    // Largest height with 10 h - 1000 <= H, in whole pixels.
    const int fits = int(std::floor((H * tpp + 1000.0f) / 10.0f / tpp));
    QTest::newRow("just fits") << fits << true;
    QTest::newRow("one pixel too tall") << fits + 1 << false;
    QTest::newRow("as designed") << forms::PixelsY(735) << (6350.0f <= H * tpp);
}

void tst_board::fixedTemplateFitting()
{
    QFETCH(int, templatePixels);
    QFETCH(bool, keeps);
    frmTrevolo& board = frmTrevolo::Instancia();
    board.lblLetra(0)->resize(board.lblLetra(0)->width(), templatePixels);
    // Low hands, so that the grid still fits with the tall letters and is not shrunk after.
    board.lblMano(0)->resize(board.lblMano(0)->width(), 20);
    testing::RunBoard([&](frmTrevolo& built) {
        const qreal points = built.lblLetra(0)->font().pointSizeF();
        QCOMPARE(points, keeps ? 39.75 : smallestPoints);
        for (int k = 1; k <= 25; ++k) {
            QCOMPARE(built.lblLetra(k)->font().pointSizeF(), points);
            QCOMPARE(built.lblMano(k)->font().pointSizeF(), 39.75); // hands are not fitted
        }
        QCOMPARE(built.lblMano(0)->font().pointSizeF(), 39.75);
    });
}

void tst_board::fittingSetsReadBackLessOne()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    // A template that grows with its font, tall enough at 39.75 points to need several passes.
    const float H = forms::TwipsY(QGuiApplication::primaryScreen()->availableGeometry().height());
    FollowsFont follows(1.3f * (H + 1000.0f) / 10.0f / 39.75f);
    QLabel* plantilla = board.lblLetra(0);
    follows.resize(plantilla);
    plantilla->installEventFilter(&follows);
    const qreal designed = QFontInfo(plantilla->font()).pointSizeF();

    testing::RunBoard([](frmTrevolo&) {});

    QVERIFY2(follows.set.size() >= 3, qPrintable(QString::number(follows.set.size())));
    QCOMPARE(follows.set[0], designed - 1.0);
    for (qsizetype i = 1; i < follows.set.size(); ++i)
        QCOMPARE(follows.set[i], follows.readBack[i - 1] - 1.0);
    const float Hout = forms::OuterHeight(&board);
    QVERIFY(forms::Height(plantilla) * 10.0f - 1000.0f <= Hout);
    // The size before the last pass did not fit yet.
    const float before = float(
        follows.readBack.size() >= 2 ? follows.readBack.at(follows.readBack.size() - 2) : designed);
    QVERIFY(forms::PixelsY(before * follows.twipsPerPoint) * forms::TwipsPerPixelY() * 10.0f -
                1000.0f >
            Hout);
}

void tst_board::gridFitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen"); // device pixels
    QTest::addColumn<qreal>("scaleFactor");
    QTest::addColumn<bool>("designed");
    QTest::newRow("640x480") << QSize(640, 480) << 1.0 << false;
    QTest::newRow("1280x400") << QSize(1280, 400) << 1.0 << false;
    QTest::newRow("1366x768 at 150 %") << QSize(1366, 768) << 1.5 << false;
    QTest::newRow("1920x1080 at 200 %") << QSize(1920, 1080) << 2.0 << false;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 1.0 << true;
}

// The grid laid out for a maximised window on the screen, under a 19-pixel title bar.
void tst_board::gridFitsTheScreen()
{
    QFETCH(QSize, screen);
    QFETCH(qreal, scaleFactor);
    QFETCH(bool, designed);
    frmTrevolo& board = frmTrevolo::Instancia();
    const QSizeF outer = QSizeF(screen) / scaleFactor;
    const QSize client(qRound(outer.width()), qRound(outer.height() - 19 / scaleFactor) -
                                                  board.menuBar()->sizeHint().height());
    const float H = forms::TwipsY(outer.height());
    const float TW = forms::TextWidth(board.font(), "A"), TH = forms::TextHeight(board.font());
    // With the fixed letter template the fitting keeps the letters or lowers them to its floor.
    const qreal letterPoints = 6350.0f > H ? smallestPoints : 39.75;
    const GridLayout grid =
        LayOutGrid({forms::TwipsX(outer.width()), H, forms::TwipsX(client.width()),
                    forms::TwipsY(client.height()), TW, TH, QSizeF(855, 735), QSizeF(615, 795),
                    letterPoints, 39.75});

    if (designed) {
        QCOMPARE(grid.columnStep, designedFor(screen).column + TW);
        QCOMPARE(grid.rowStep, designedFor(screen).row + TH);
        QCOMPARE(grid.scale, 1.0f);
        QCOMPARE(grid.letterPoints, 39.75);
        QCOMPARE(grid.handPoints, 39.75);
    } else { // shrunk together, no larger than the fitting left the letters
        QCOMPARE(grid.handPoints, grid.letterPoints);
        QVERIFY(grid.letterPoints >= smallestPoints && grid.letterPoints <= letterPoints);
        QVERIFY(grid.scale <= 1.0f);
    }
    // Placed as the board places its labels.
    Cells cells;
    const QSize letter(forms::PixelsX(855 * grid.scale), forms::PixelsY(735 * grid.scale));
    const QSize hand(forms::PixelsX(615 * grid.scale), forms::PixelsY(795 * grid.scale));
    for (const QPointF& corner : LetterCorners(grid.columnStep, grid.rowStep)) {
        const QPoint at(forms::PixelsX(float(corner.x())), forms::PixelsY(float(corner.y())));
        cells.letters << QRect(at, letter);
        cells.hands << QRect(QPoint(at.x(), cells.letters.last().bottom() + 1), hand);
    }
    checkCellsApart(cells, QRect(QPoint(), client));
}

// The board built on the test's own screen (CTest runs this on several).
void tst_board::builtGridFitsTheWindow()
{
    testing::RunBoard([](frmTrevolo& board) {
        Cells cells;
        for (int k = 1; k <= 25; ++k) {
            cells.letters << board.lblLetra(k)->geometry();
            cells.hands << board.lblMano(k)->geometry();
            QCOMPARE(board.lblMano(k)->font().pointSizeF(), board.lblMano(1)->font().pointSizeF());
            QCOMPARE(board.lblLetra(k)->font().pointSizeF(),
                     board.lblLetra(1)->font().pointSizeF());
        }
        checkCellsApart(cells, board.client->rect());
        const qreal letters = board.lblLetra(1)->font().pointSizeF();
        const qreal hands = board.lblMano(1)->font().pointSizeF();
        QVERIFY(letters >= smallestPoints);
        QVERIFY2(hands == letters || hands == 39.75, qPrintable(QString::number(hands)));
    });
}

void tst_board::boardsDifferWithTheClock()
{
    QStringList boards;
    for (const double reading : {36000.0, 36000.5}) {
        testing::CleanSlate(reading);
        testing::RunBoard([&](frmTrevolo& board) { boards << testing::Hands(board); });
        frmTrevolo::Descargar();
    }
    QCOMPARE(boards.size(), 2);
    QVERIFY2(boards[0] != boards[1], qPrintable(boards[0]));
}

void tst_board::labelsSpeakTheirText()
{
    testing::RunBoard([](frmTrevolo& board) {
        const QHash<QString, QString> meaning{
            {"I", "mano izquierda"}, {"D", "mano derecha"}, {"J", "ambas manos"}};
        const auto check = [&] {
            for (int k = 1; k <= 25; ++k) {
                for (QLabel* label : {board.lblLetra(k), board.lblMano(k)}) {
                    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(label);
                    QVERIFY(spoken);
                    QCOMPARE(spoken->text(QAccessible::Name), label->text());
                }
                QCOMPARE(QAccessible::queryAccessibleInterface(board.lblLetra(k))
                             ->text(QAccessible::Description),
                         QStringLiteral("letra ") + board.Letras[k]);
                QCOMPARE(QAccessible::queryAccessibleInterface(board.lblMano(k))
                             ->text(QAccessible::Description),
                         meaning.value(board.lblMano(k)->text()));
            }
        };
        check();
        const QString before = testing::Hands(board);
        do // a new draw, as every 600 seconds
            board.AsignarManos();
        while (testing::Hands(board) == before);
        check();
    });
}

QTEST_MAIN(tst_board)
#include "tst_board.moc"
