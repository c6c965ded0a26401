#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "forms/random.h"
#include "support/program.h"

#include <QLabel>
#include <QtTest>

namespace {

// The random number that draws `code` (Manos = I, D, J, I, J).
float drawing(QChar code)
{
    switch (code.unicode()) {
    case 'I':
        return 0.1f;
    case 'D':
        return 0.3f;
    case 'J':
        return 0.5f;
    }
    qFatal("not a hand code");
}

// Draws `codes` in turn, then I, D, J, I, D, J, ... so that every board finishes.
void ScriptDraws(const QString& codes)
{
    forms::SetRndSource([codes, next = 0]() mutable {
        const int n = next++;
        return n < codes.size() ? drawing(codes[n]) : drawing(QStringLiteral("IDJ")[n % 3]);
    });
}

} // namespace

class tst_hands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { forms::SetRndSource({}); }
    void cleanupTestCase() { frmTrevolo::Descargar(); }

    void rules_data();
    void rules();
    void drawMapsTheWholeUnitInterval_data();
    void drawMapsTheWholeUnitInterval();
    void onlyTheHandCaptionsChange();
    void propertiesOverManyBoards();

private:
    frmTrevolo* board = nullptr;
};

void tst_hands::initTestCase()
{
    testing::CleanSlate();
    testing::RunBoard([this](frmTrevolo& built) { board = &built; });
    QVERIFY(board);
    forms::ClearEnd(); // the board stays built for the cases below
}

void tst_hands::rules_data()
{
    QTest::addColumn<QString>("draws");
    QTest::addColumn<QString>("cells"); // from cell 1

    // Cell 4's own draw is thrown away but used up: the "D" there never shows.
    QTest::newRow("J J I: rewrite to I J before cell 4") << "JJID"
                                                         << "JIJI";
    QTest::newRow("D D I: count not reset by a change") << "DDID"
                                                        << "DJII";
    QTest::newRow("D I I: rewrite to J I") << "DIID"
                                           << "DJII";
    QTest::newRow("I I I: cell 3 drawn again") << "IIIIJD"
                                               << "IIJI";
    QTest::newRow("D J I, then I at cell 5 drawn again") << "DJIDIID"
                                                         << "DJIID";
    QTest::newRow("J J D D at cells 5 to 8: second D drawn again") << "DJDJJJDDDI"
                                                                   << "DJDIJJDI";
    QTest::newRow("rewrite before cell 9 when cell 7 is D") << "DJDJDIDDJ"
                                                            << "DJDIDIJDD";
    QTest::newRow("three J at cells 10 to 12") << "DJDJIDIJIJJJ"
                                               << "DJDIIDIJDJJJ";
    QTest::newRow("three I at cells 3 to 5 after a rewrite") << "DDIJI"
                                                             << "DJIII";
    QTest::newRow("three D at cells 5 to 7 after a rewrite") << "DJDJDDIDJ"
                                                             << "DJDIDDDJD";
    QTest::newRow("row end does not interrupt the count") << "DJDJIIID"
                                                          << "DJDIID";
    QTest::newRow("cell 1 is kept whatever follows") << "IIJJ"
                                                     << "IIJI";
}

void tst_hands::rules()
{
    QFETCH(QString, draws);
    QFETCH(QString, cells);
    ScriptDraws(draws);
    board->AsignarManos();
    QCOMPARE(testing::Hands(*board).left(cells.size()), cells);
}

void tst_hands::drawMapsTheWholeUnitInterval_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<QString>("code");
    QTest::newRow("0") << 0.0f << "I";
    QTest::newRow("just below 0.2") << 0.19999999f << "I";
    QTest::newRow("0.2") << 0.2f << "D";
    QTest::newRow("0.4") << 0.4f << "J";
    QTest::newRow("0.6") << 0.6f << "I";
    QTest::newRow("0.8") << 0.8f << "J";
    QTest::newRow("largest float below 1") << 0.99999994f << "J";
}

void tst_hands::drawMapsTheWholeUnitInterval()
{
    QFETCH(float, r);
    QFETCH(QString, code);
    // Cell 1 keeps its draw; the rest vary so that every redraw finds a different code.
    int calls = 0;
    forms::SetRndSource([r, &calls]() mutable {
        return calls++ == 0 ? r : drawing(QStringLiteral("IDJ")[calls % 3]);
    });
    board->AsignarManos();
    QCOMPARE(board->lblMano(1)->text(), code);
}

void tst_hands::onlyTheHandCaptionsChange()
{
    QList<QRect> places;
    for (int n = 0; n <= 25; ++n)
        places << board->lblMano(n)->geometry() << board->lblLetra(n)->geometry();
    const QString template0 = board->lblMano(0)->text();
    board->AsignarManos();
    QList<QRect> after;
    for (int n = 0; n <= 25; ++n)
        after << board->lblMano(n)->geometry() << board->lblLetra(n)->geometry();
    QCOMPARE(after, places);
    QCOMPARE(board->lblMano(0)->text(), template0);
    QVERIFY(!board->lblMano(0)->isVisible());
    QCOMPARE(board->lblMano.Count(), 26);
}

void tst_hands::propertiesOverManyBoards()
{
    // A seeded generator of our own, so that every draw is seen: cell 1 must keep the first.
    const auto generator = testing::SeededRnd(20261207);
    QList<float> draws;
    forms::SetRndSource([&] {
        draws << generator();
        return draws.last();
    });
    const QString codes = QStringLiteral("IDJIJ");
    for (int boardNo = 0; boardNo < 3000; ++boardNo) {
        draws.clear();
        board->AsignarManos();
        const QString hands = testing::Hands(*board);
        QCOMPARE(hands[0], codes[int(5.0f * draws.first())]);
        QCOMPARE(hands.mid(3, 1), QStringLiteral("I"));
        QCOMPARE(hands.mid(8, 2), QStringLiteral("DJ"));
        for (QChar code : hands)
            QVERIFY(code == u'I' || code == u'D' || code == u'J');
        // The repeat rules leave three equal codes in a row at most.
        for (QChar code : QStringLiteral("IDJ"))
            QVERIFY2(!hands.contains(QString(4, code)), qPrintable(hands));
        QVERIFY(draws.size() >= 25);
    }

    forms::SetRndSource({}); // and the program's own generator
    forms::Randomize();
    QSet<QString> seen;
    for (int boardNo = 0; boardNo < 3000; ++boardNo) {
        board->AsignarManos();
        const QString hands = testing::Hands(*board);
        QCOMPARE(hands.mid(3, 1), QStringLiteral("I"));
        QCOMPARE(hands.mid(8, 2), QStringLiteral("DJ"));
        QVERIFY(!hands.contains(QStringLiteral("IIII")) &&
                !hands.contains(QStringLiteral("DDDD")) && !hands.contains(QStringLiteral("JJJJ")));
        seen.insert(hands);
    }
    QVERIFY(seen.size() > 2900); // boards vary
}

QTEST_MAIN(tst_hands)
#include "tst_hands.moc"
