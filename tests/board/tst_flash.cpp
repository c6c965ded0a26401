#include "board/frmTrevolo.h"
#include "editor/frmMsg.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <cmath>

namespace {

constexpr float flashSeconds = 0.25f;
constexpr float designedPeriod = 5.0f;

// Notes every flash of the board's message label: its text and when it came and went.
class FlashWatch : public testing::ShownWatch {
public:
    QStringList texts;
    float activatedAt = -1.0f;         // when Activar Mensajes switched the flashing on
    std::function<void()> duringFirst; // runs within the first flash's own wait
    std::function<void()> afterEach;   // runs when a flash has been hidden again

    explicit FlashWatch(QLabel* label)
        : ShownWatch(label)
    {
        onShow = [this, label] {
            texts << label->text();
            if (texts.size() == 1 && duringFirst)
                QTimer::singleShot(0, this, duringFirst);
        };
        onHide = [this] {
            if (afterEach)
                QTimer::singleShot(0, afterEach); // outside the flash
        };
    }

    // Each flash up for exactly its quarter second, and from `from` on, one every `period`.
    void checkTimes(float period, qsizetype from = 0) const
    {
        for (const Showing& f : showings)
            testing::CompareSpan(f.shown, f.hidden, flashSeconds);
        for (qsizetype i = std::max(from, qsizetype(1)); i < showings.size(); ++i)
            testing::CompareSpan(showings[i - 1].shown, showings[i].shown, period);
    }
};

// Switches the flashing on and runs until `count` flashes have been seen.
void FlashUntil(FlashWatch& watch, qsizetype count)
{
    testing::RunBoardUntilEnd([&watch, count](frmTrevolo& board) {
        watch.activatedAt = forms::Timer();
        board.mnuAcc[1]->trigger();
        auto previous = watch.afterEach;
        watch.afterEach = [&watch, count, previous] {
            if (previous)
                previous();
            if (watch.showings.size() >= count)
                forms::End();
        };
        // A bound, should it never flash; it goes with this board, never ending a later test.
        testing::After(1000.0, &board, [] { forms::End(); });
    });
}

} // namespace

class tst_flash : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void activeMessagesFlashInTurn_data();
    void activeMessagesFlashInTurn();
    void offAndOnContinuesWithTheNext();
    void closingAWindowRestartsOnlyAfterTheEditor_data();
    void closingAWindowRestartsOnlyAfterTheEditor();
    void flashGoesOnBehindTheEditor();
    void noActiveMessageRefusesToStart();
    void salirDuringAFlashEndsAtOnce();
    void period_data();
    void period();
    void flashesOnePeriodApart_data();
    void flashesOnePeriodApart();
    void periodChangesOnlyTheInterval();
    void intervalOfPeriodsNoUserCanType_data();
    void intervalOfPeriodsNoUserCanType();
};

void tst_flash::activeMessagesFlashInTurn_data()
{
    QTest::addColumn<QStringList>("store");
    QTest::addColumn<QStringList>("flashes");
    QTest::addColumn<int>("actualAfter");
    QTest::newRow("three wrap around")
        << QStringList{"*A", "inactiva", "*B", "*C"} << QStringList{"A", "B", "C", "A", "B"} << 2;
    QTest::newRow("one flashes every time")
        << QStringList{"x", "*SOLO"} << QStringList{"SOLO", "SOLO", "SOLO"} << 0;
    QTest::newRow("an empty active message flashes empty")
        << QStringList{"*", "*Z"} << QStringList{"", "Z", ""} << 1;
    QTest::newRow("only the first * is dropped") << QStringList{"**x"} << QStringList{"*x"} << 0;
    // A centred line shows the middle of what does not fit, and no screen shows 4096 characters.
    const QString wide = QString(10000, u'a') + QStringLiteral("MITAD") + QString(10000, u'b');
    QTest::newRow("of a message too long for any screen, its middle")
        << QStringList{u'*' + wide}
        << QStringList{QString(2046, u'a') + QStringLiteral("MITAD") + QString(2045, u'b')} << 0;
    QTest::newRow("4096 characters, whole")
        << QStringList{u'*' + QString(4096, u'c')} << QStringList{QString(4096, u'c')} << 0;
}

void tst_flash::activeMessagesFlashInTurn()
{
    QFETCH(QStringList, store);
    QFETCH(QStringList, flashes);
    QFETCH(int, actualAfter);
    testing::FillStore(store);
    FlashWatch watch(frmTrevolo::Instancia().lblSedu);
    FlashUntil(watch, flashes.size());

    QCOMPARE(watch.texts, flashes);
    QCOMPARE(int(modGral::Actual), actualAfter);
    // The first a whole period after the click, none at once.
    testing::CompareSpan(watch.activatedAt, watch.showings[0].shown, designedPeriod);
    watch.checkTimes(designedPeriod);
    QVERIFY(!frmTrevolo::Instancia().lblSedu->isVisible());
}

void tst_flash::offAndOnContinuesWithTheNext()
{
    testing::FillStore({"*A", "*B", "*C"});
    frmTrevolo& board = frmTrevolo::Instancia();
    FlashWatch watch(board.lblSedu);
    bool checkedWhileOff = true;
    watch.afterEach = [&] {
        if (watch.showings.size() != 2)
            return;
        board.mnuAcc[1]->trigger(); // off
        checkedWhileOff = board.mnuAcc[1]->isChecked() || board.tSedu->isEnabled();
        board.mnuAcc[1]->trigger(); // and on again
    };
    FlashUntil(watch, 3);
    QVERIFY(!checkedWhileOff);
    QCOMPARE(watch.texts, QStringList({"A", "B", "C"}));
}

void tst_flash::closingAWindowRestartsOnlyAfterTheEditor_data()
{
    QTest::addColumn<int>("item"); // the editor (0) or Temporizador (1)
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("flashes");
    QTest::newRow("the editor starts again at the first")
        << 0 << QStringList() << QStringList{"A", "B", "A"};
    QTest::newRow("the Temporizador's box does not")
        << 1 << QStringList{"5"} << QStringList{"A", "B", "C"};
    QTest::newRow("nor the box that refuses a period")
        << 1 << QStringList{"x", "5"} << QStringList{"A", "B", "C"};
}

void tst_flash::closingAWindowRestartsOnlyAfterTheEditor()
{
    QFETCH(int, item);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, flashes);
    testing::FillStore({"*A", "*B", "*C"});
    frmTrevolo& board = frmTrevolo::Instancia();
    FlashWatch watch(board.lblSedu);
    watch.afterEach = [&] {
        if (watch.showings.size() != 2)
            return;
        // Each window open for a second.
        testing::Boxes().answers = answers;
        testing::Boxes().onShow = [](const forms::Box&) { forms::DispatchEventsFor(1.0f); };
        if (!item)
            testing::InModal(1.0, [](QWidget& editor) { editor.close(); });
        (item ? board.mnuAcc[0] : board.mnuArch[0])->trigger(); // returns once it is closed
    };
    FlashUntil(watch, flashes.size());
    QCOMPARE(watch.texts, flashes);
    QCOMPARE(board.lblLetra.Count(), 26); // not built again
}

// The editor opened while a message is up: later flashes come and go behind it at the period.
void tst_flash::flashGoesOnBehindTheEditor()
{
    testing::FillStore({"*A", "*B"});
    frmTrevolo& board = frmTrevolo::Instancia();
    FlashWatch watch(board.lblSedu);
    qsizetype atClose = -1;
    bool upAtClose = true;
    watch.duringFirst = [&] {
        board.mnuArch[0]->trigger(); // returns once the editor is closed
        forms::End();
    };
    watch.afterEach = [&] {
        QWidget* editor = QApplication::activeModalWidget();
        if (editor && watch.showings.size() >= 4 && atClose < 0) {
            atClose = watch.showings.size();
            upAtClose = board.lblSedu->isVisible();
            editor->close();
        }
    };
    testing::RunBoardUntilEnd([&watch](frmTrevolo& b) {
        watch.activatedAt = forms::Timer();
        b.mnuAcc[1]->trigger();
        testing::After(1000.0, &b, [] { forms::End(); }); // a bound, should the flash freeze
    });

    QCOMPARE(atClose, 4);
    QVERIFY(!upAtClose);
    // The flash under way when the editor opened went after its quarter second all the same,
    // and the next came at the period, not a period after that flash's wait returned.
    testing::CompareSpan(watch.activatedAt, watch.showings[0].shown, designedPeriod);
    watch.checkTimes(designedPeriod);
}

void tst_flash::noActiveMessageRefusesToStart()
{
    testing::FillStore({"inactiva"});
    frmTrevolo& board = frmTrevolo::Instancia();
    bool checkedDuringBox = false;
    testing::Boxes().onShow = [&](const forms::Box&) {
        checkedDuringBox = board.mnuAcc[1]->isChecked();
    };
    board.mnuAcc[1]->trigger();
    const auto& shown = testing::Boxes().shown;
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, forms::Box::Kind::Message);
    QCOMPARE(shown[0].text, QStringLiteral("No hay mensajes seleccionados"));
    QCOMPARE(shown[0].title, QStringLiteral("Trevolo"));
    QCOMPARE(shown[0].icon, forms::Icon::Information);
    QVERIFY(checkedDuringBox); // the mark goes back after the message
    QVERIFY(!board.mnuAcc[1]->isChecked());
    QVERIFY(!board.tSedu->isEnabled());
}

void tst_flash::salirDuringAFlashEndsAtOnce()
{
    testing::FillStore({"*A"});
    frmTrevolo& board = frmTrevolo::Instancia();
    FlashWatch watch(board.lblSedu);
    float endedAt = -1.0f;
    watch.duringFirst = [&] {
        endedAt = forms::Timer();
        board.mnuArch[2]->trigger();
    };
    testing::RunBoardUntilEnd([](frmTrevolo& b) { b.mnuAcc[1]->trigger(); });
    QVERIFY(endedAt >= 0.0f);
    QVERIFY(forms::Ending());
    QVERIFY(!board.isVisible());
    QVERIFY(!board.lblSedu->isVisible());
}

void tst_flash::period_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<qint32>("interval");
    QTest::addColumn<QStringList>("messages");
    const QString number = QStringLiteral("Introduzca un numero");
    QTest::newRow("1") << "C" << QStringList{"1"} << 1000 << QStringList();
    QTest::newRow("2.5") << "C" << QStringList{"2.5"} << 2500 << QStringList();
    QTest::newRow("2,5 in Spanish") << "es_ES" << QStringList{"2,5"} << 2500 << QStringList();
    QTest::newRow("2,5 is no number in C")
        << "C" << QStringList{"2,5", "3"} << 3000 << QStringList{number};
    QTest::newRow("1,000.5 in English")
        << "en_US" << QStringList{"1,000.5"} << 1000500 << QStringList();
    QTest::newRow("0,001 is no number where a comma groups thousands")
        << "en_US" << QStringList{"0,001", "2"} << 2000 << QStringList{number};
    QTest::newRow("rounded to the millisecond")
        << "C" << QStringList{"1.2346"} << 1235 << QStringList();
    QTest::newRow("a half down to the even millisecond")
        << "C" << QStringList{"1.0625"} << 1062 << QStringList();
    QTest::newRow("a half up to the even millisecond")
        << "C" << QStringList{"1.1875"} << 1188 << QStringList();
    QTest::newRow("0.5 gives six seconds") << "C" << QStringList{"0.5"} << 6000 << QStringList();
    QTest::newRow("0 gives six seconds") << "es_ES" << QStringList{"0"} << 6000 << QStringList();
    QTest::newRow("-3 gives six seconds") << "C" << QStringList{"-3"} << 6000 << QStringList();
    QTest::newRow("empty, then a number")
        << "C" << QStringList{"", "7"} << 7000 << QStringList{number};
    QTest::newRow("cancel twice, then a number")
        << "es_ES" << QStringList{QString(), QString(), "8"} << 8000 << QStringList{number, number};
    QTest::newRow("abc") << "C" << QStringList{"abc", "9"} << 9000 << QStringList{number};
    QTest::newRow("nan and inf are no numbers") << "C" << QStringList{"nan", "inf", "-inf", "2"}
                                                << 2000 << QStringList{number, number, number};
    QTest::newRow("largest period that fits")
        << "C" << QStringList{"2147483.647"} << INT_MAX << QStringList();
    QTest::newRow("too large, then a number")
        << "C" << QStringList{"2147484", "4"} << 4000
        << QStringList{QStringLiteral("El periodo no puede pasar de 2147483 segundos")};
}

void tst_flash::period()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, answers);
    QFETCH(qint32, interval);
    QFETCH(QStringList, messages);
    QLocale::setDefault(QLocale(locale));
    frmTrevolo& board = frmTrevolo::Instancia();
    testing::Boxes().answers = answers;
    board.mnuAcc[0]->trigger();

    QCOMPARE(board.tSedu->interval(), interval);
    QStringList shownMessages;
    int inputs = 0;
    for (const forms::Box& box : testing::Boxes().shown) {
        if (box.kind == forms::Box::Kind::Input) {
            ++inputs;
            QCOMPARE(box.text,
                     QStringLiteral("Introduzca el periodo de cambio de mensajes en segundos"));
            QCOMPARE(box.title, QStringLiteral("Trevolo "));
        } else {
            shownMessages << box.text;
            QCOMPARE(box.title, QStringLiteral("Trevolo"));
            QCOMPARE(box.icon, forms::Icon::Information);
        }
    }
    QCOMPARE(shownMessages, messages);
    QCOMPARE(inputs, answers.size()); // asked again after every refusal, until a number
}

void tst_flash::flashesOnePeriodApart_data()
{
    QTest::addColumn<QString>("answer"); // to Temporizador, if asked
    QTest::addColumn<float>("period");
    QTest::newRow("as designed") << QString() << 5.0f;
    QTest::newRow("1") << "1" << 1.0f;
    QTest::newRow("2.5") << "2.5" << 2.5f;
    QTest::newRow("below a second") << "0.999" << 6.0f;
}

void tst_flash::flashesOnePeriodApart()
{
    QFETCH(QString, answer);
    QFETCH(float, period);
    testing::FillStore({"*A"});
    frmTrevolo& board = frmTrevolo::Instancia();
    if (!answer.isNull()) {
        testing::Boxes().answers = {answer};
        board.mnuAcc[0]->trigger();
    }
    FlashWatch watch(board.lblSedu);
    FlashUntil(watch, 3);
    testing::CompareSpan(watch.activatedAt, watch.showings[0].shown, period);
    watch.checkTimes(period);
}

void tst_flash::periodChangesOnlyTheInterval()
{
    testing::FillStore({"*A"});
    frmTrevolo& board = frmTrevolo::Instancia();
    board.mnuAcc[1]->trigger();
    modGral::Actual = 0;
    testing::Boxes().answers = {QStringLiteral("12")};
    board.mnuAcc[0]->trigger();
    QVERIFY(board.tSedu->isEnabled());
    QVERIFY(board.mnuAcc[1]->isChecked());
    QCOMPARE(board.tSedu->interval(), 12000);

    board.mnuAcc[1]->trigger(); // off
    testing::Boxes().answers = {QStringLiteral("3")};
    board.mnuAcc[0]->trigger();
    QVERIFY(!board.tSedu->isEnabled());
    QCOMPARE(board.tSedu->interval(), 3000);
}

void tst_flash::intervalOfPeriodsNoUserCanType_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<qint32>("interval"); // 0: refused
    QTest::newRow("not a number") << std::nan("") << 6000;
    QTest::newRow("minus infinity") << -HUGE_VAL << 6000;
    QTest::newRow("infinity") << HUGE_VAL << 0;
    QTest::newRow("half a millisecond too many") << 2147483.6475 << 0;
}

void tst_flash::intervalOfPeriodsNoUserCanType()
{
    QFETCH(double, seconds);
    QFETCH(qint32, interval);
    QCOMPARE(IntervaloDelPeriodo(seconds).value_or(0), interval);
}

QTEST_MAIN(tst_flash)
#include "tst_flash.moc"
