#include "forms/boxes.h"
#include "forms/clock.h"
#include "forms/controls.h"
#include "forms/program.h"
#include "forms/random.h"
#include "forms/units.h"
#include "support/testing.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <functional>

const forms::Answers siNo{QStringLiteral("&Sí"), QStringLiteral("&No")};

class tst_forms : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanForms(); }

    void twipsThroughTheScreenDpi_data();
    void twipsThroughTheScreenDpi();
    void controlPlaceSnapsToPixels();
    void clockCanBeSetAndAccelerated();
    void clockWrapsAtMidnight();
    void realMilliseconds_data();
    void realMilliseconds();
    void flashOnTheRealClockIsNeverCutShort();
    void loadedElementCopiesTheTemplate();
    void timerTicksOnTheProgramClock_data();
    void timerTicksOnTheProgramClock();
    void timerStopsWhenTheProgramEnds();
    void scriptedBoxesSeeTextTitleAndIcon();
    void realInputBoxAnswersOrCancels_data();
    void realInputBoxAnswersOrCancels();
    void realMessageBoxIsInformation();
    void realQuestionDefaultsToNo_data();
    void realQuestionDefaultsToNo();
    void designFontFallsBack();
    void bgrColours();
    void rndStaysBelowOne();
    void waitReturnsWhenTheProgramEnds();
    void qtWordsInSpanish(); // last: the translation stays installed
};

void tst_forms::twipsThroughTheScreenDpi_data()
{
    QTest::addColumn<float>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one pixel") << 15.0f << 1;
    QTest::newRow("one inch") << 1440.0f << 96;
    QTest::newRow("rounds down") << 7.0f << 0;
    QTest::newRow("rounds up") << 8.0f << 1;
    QTest::newRow("board width") << 10935.0f << 729;
}

void tst_forms::twipsThroughTheScreenDpi()
{
    if (QGuiApplication::primaryScreen()->logicalDotsPerInchX() != 96)
        QSKIP("the rows are worked out for a 96 DPI screen");
    QFETCH(float, twips);
    QFETCH(int, pixels);
    QCOMPARE(forms::TwipsPerPixelX(), 15.0f);
    QCOMPARE(forms::PixelsX(twips), pixels);
    QCOMPARE(forms::PixelsY(twips), pixels);
    QCOMPARE(forms::TwipsX(pixels), pixels * 15.0f);
}

void tst_forms::controlPlaceSnapsToPixels()
{
    QWidget parent;
    QLabel label(&parent);
    forms::Move(&label, 300, 360, 855, 735);
    const float tpp = forms::TwipsPerPixelX();
    QCOMPARE(forms::Left(&label), forms::PixelsX(300) * tpp);
    QCOMPARE(forms::Width(&label), forms::PixelsX(855) * tpp);
    forms::SetLeft(&label, 500);
    forms::SetTop(&label, 1000);
    forms::SetWidth(&label, 2000);
    QCOMPARE(label.x(), forms::PixelsX(500));
    QCOMPARE(label.y(), forms::PixelsY(1000));
    QCOMPARE(label.width(), forms::PixelsX(2000));
    QCOMPARE(forms::Height(&label), forms::PixelsY(735) * forms::TwipsPerPixelY());
}

void tst_forms::clockCanBeSetAndAccelerated()
{
    // The clock runs a thousand times as fast as the real time measured around its readings,
    // however long a loaded machine takes between them; single precision rounds at 1e-4 here.
    QElapsedTimer outer;
    outer.start();
    forms::SetClock(1000.0, 1000.0);
    const float start = forms::Timer();
    QVERIFY2(start >= 1000.0f && start <= 1000.001f + outer.nsecsElapsed() / 1e6f,
             qPrintable(QString::number(start)));
    QElapsedTimer inner;
    inner.start();
    QTest::qWait(50);
    const qint64 innerNs = inner.nsecsElapsed();
    const float later = forms::Timer();
    const float passed = later - start;
    QVERIFY2(passed >= innerNs / 1e6f - 0.001f && passed <= outer.nsecsElapsed() / 1e6f + 0.001f,
             qPrintable(QString::number(passed)));

    forms::UseRealClock();
    const float wall = QTime::currentTime().msecsSinceStartOfDay() / 1000.0f;
    QVERIFY(qAbs(forms::Timer() - wall) < 1.0f); // the same clock, read a moment apart
}

void tst_forms::clockWrapsAtMidnight()
{
    forms::SetClock(86399.9, 100.0);
    QTRY_VERIFY_WITH_TIMEOUT(forms::Timer() < 86000.0f, 1000);
    QVERIFY(forms::Timer() >= 0.0f);
}

void tst_forms::realMilliseconds_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("ms");
    QTest::newRow("none") << 1.0 << 0.0 << 0;
    QTest::newRow("negative") << 1.0 << -3.0 << 0;
    QTest::newRow("flash, real time") << 1.0 << 0.25 << 250;
    QTest::newRow("redraw, 1000 times faster") << 1000.0 << 600.0 << 600;
    QTest::newRow("never less than 1 ms") << 1000.0 << 0.0001 << 1;
    QTest::newRow("partial ms rounds up") << 1.0 << 0.0101 << 11;
    QTest::newRow("too long for an int") << 1.0 << 1e10 << INT_MAX;
}

void tst_forms::realMilliseconds()
{
    QFETCH(double, speed);
    QFETCH(double, seconds);
    QFETCH(int, ms);
    forms::SetClock(0.0, speed);
    QCOMPARE(forms::RealMilliseconds(seconds), ms);
}

// A real timer rings up to a millisecond late, and under Wine up to a tenth of its time early:
// the flash may end at most that millisecond early, and ends while the wait still holds.
void tst_forms::flashOnTheRealClockIsNeverCutShort()
{
    forms::UseRealClock();
    QWidget widget;
    testing::ShownWatch watch(&widget);
    static QElapsedTimer since;
    static qint64 hiddenNs, waitedNs;
    hiddenNs = waitedNs = -1;
    watch.onHide = [] { hiddenNs = since.nsecsElapsed(); };
    since.start();
    forms::ShowWhileWaiting(&widget, 0.25f, [](float) {
        forms::DispatchEventsFor(0.5f);
        waitedNs = since.nsecsElapsed();
    });
    QVERIFY2(
        hiddenNs >= 249'000'000 && hiddenNs < waitedNs,
        qPrintable(
            QStringLiteral("hidden at %1 ns, the wait over at %2 ns").arg(hiddenNs).arg(waitedNs)));
}

void tst_forms::loadedElementCopiesTheTemplate()
{
    QWidget parent;
    auto* element0 = new QLabel(QStringLiteral("A"), &parent);
    QFont font = element0->font();
    font.setPointSizeF(31.5);
    font.setBold(true);
    element0->setFont(font);
    element0->setGeometry(20, 24, 57, 49);
    element0->setAlignment(Qt::AlignCenter);
    QPalette palette = element0->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    element0->setPalette(palette);
    element0->setAutoFillBackground(true);
    parent.show();
    element0->show();

    forms::LabelArray labels(element0);
    QCOMPARE(labels.Count(), 1);
    labels.Load(3);
    QLabel* copy = labels(3);
    QVERIFY(copy != element0);
    QCOMPARE(copy->parentWidget(), &parent);
    QCOMPARE(copy->text(), QStringLiteral("A"));
    QCOMPARE(copy->font(), font);
    QCOMPARE(copy->geometry(), element0->geometry());
    QCOMPARE(copy->alignment(), Qt::AlignCenter);
    QCOMPARE(copy->palette().color(QPalette::WindowText), QColor(Qt::red));
    QVERIFY(copy->autoFillBackground());
    QVERIFY(!copy->isVisible());
    QCOMPARE(labels.Count(), 2);
    QCOMPARE(labels(0), element0);
}

void tst_forms::timerTicksOnTheProgramClock_data()
{
    QTest::addColumn<qint32>("interval");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<float>>("ticks");
    QTest::newRow("enabled") << 5000 << true << QList<float>{5, 10, 15, 20};
    QTest::newRow("disabled") << 5000 << false << QList<float>{};
    QTest::newRow("interval 0") << 0 << true << QList<float>{};
}

void tst_forms::timerTicksOnTheProgramClock()
{
    QFETCH(qint32, interval);
    QFETCH(bool, enabled);
    QFETCH(QList<float>, ticks);
    QObject owner;
    forms::IntervalTimer timer(&owner, interval, enabled);
    QList<float> ticked;
    connect(&timer, &forms::IntervalTimer::Timer, [&] { ticked << forms::Timer(); });
    forms::DispatchEventsFor(22.0f);
    QCOMPARE(ticked, ticks);
}

void tst_forms::timerStopsWhenTheProgramEnds()
{
    QObject owner;
    forms::IntervalTimer timer(&owner, 1000, true);
    const QSignalSpy count(&timer, &forms::IntervalTimer::Timer);
    testing::After(2.5, nullptr, [] { forms::End(); });
    forms::DispatchEventsFor(100.0f);
    QCOMPARE(forms::Timer(), 2.5f);
    QCOMPARE(count.size(), 2);
    forms::DispatchEventsFor(100.0f); // returns at once now
    QTest::qWait(50);
    QCOMPARE(count.size(), 2);
}

void tst_forms::scriptedBoxesSeeTextTitleAndIcon()
{
    testing::Boxes().answers = {QStringLiteral("12")};
    QCOMPARE(forms::InputBox(QStringLiteral("Periodo"), QStringLiteral("Trevolo ")),
             QStringLiteral("12"));
    QCOMPARE(forms::InputBox(QStringLiteral("Periodo"), QStringLiteral("Trevolo ")), QString());
    forms::MsgBox(QStringLiteral("Introduzca un numero"), forms::Icon::Information);
    forms::MsgBox(QStringLiteral("Otro"), forms::Icon::Critical, QStringLiteral("Título"));
    testing::Boxes().answers = {siNo.yes};
    QVERIFY(forms::Question(QStringLiteral("¿Reemplazar?"), siNo));
    QVERIFY(!forms::Question(QStringLiteral("¿Reemplazar?"), siNo)); // no answer left: "No"

    const auto& shown = testing::Boxes().shown;
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown[0].kind, forms::Box::Kind::Input);
    QCOMPARE(shown[0].text, QStringLiteral("Periodo"));
    QCOMPARE(shown[0].title, QStringLiteral("Trevolo "));
    QCOMPARE(shown[2].kind, forms::Box::Kind::Message);
    QCOMPARE(shown[2].title, QStringLiteral("Trevolo")); // the application's name
    QCOMPARE(shown[2].icon, forms::Icon::Information);
    QCOMPARE(shown[3].title, QStringLiteral("Título"));
    QCOMPARE(shown[3].icon, forms::Icon::Critical);
    QCOMPARE(shown[4].kind, forms::Box::Kind::Question);
    QCOMPARE(shown[4].title, QStringLiteral("Trevolo"));
    QCOMPARE(shown[4].icon, forms::Icon::Question);

    forms::End();
    forms::MsgBox(QStringLiteral("tarde"), forms::Icon::Information);
    QCOMPARE(forms::InputBox(QStringLiteral("tarde"), {}), QString());
    QVERIFY(!forms::Question(QStringLiteral("tarde"), siNo));
    QCOMPARE(shown.size(), 6); // nothing is shown once the program ends
}

void tst_forms::realInputBoxAnswersOrCancels_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("OK") << true << QStringLiteral("2,5");
    QTest::newRow("Cancel") << false << QString();
}

void tst_forms::realInputBoxAnswersOrCancels()
{
    QFETCH(bool, accept);
    QFETCH(QString, expected);
    forms::SetBoxResponder({});
    QString title, label, startText;
    testing::InModal<QInputDialog>(0, [&](QInputDialog& dialog) {
        title = dialog.windowTitle();
        label = dialog.labelText();
        startText = dialog.textValue();
        QTest::keyClicks(dialog.findChild<QLineEdit*>(), QStringLiteral("2,5"));
        if (accept)
            dialog.accept();
        else
            dialog.reject();
    });
    const QString answer =
        forms::InputBox(QStringLiteral("Introduzca el periodo"), QStringLiteral("Trevolo "));
    QCOMPARE(answer, expected);
    QCOMPARE(title, QStringLiteral("Trevolo "));
    QCOMPARE(label, QStringLiteral("Introduzca el periodo"));
    QCOMPARE(startText, QString());
}

namespace {

// What a real message box showed, read while it was open.
struct ShownBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title, text;
    QStringList captions;

    // Reads the next modal message box once it is open, then lets `answer` close it.
    explicit ShownBox(std::function<void(QMessageBox&)> answer)
    {
        testing::InModal<QMessageBox>(0, [this, answer](QMessageBox& box) {
            icon = box.icon();
            title = box.windowTitle();
            text = box.text();
            for (QAbstractButton* b : box.buttons())
                captions << b->text();
            answer(box);
        });
    }
};

} // namespace

void tst_forms::realMessageBoxIsInformation()
{
    forms::SetBoxResponder({});
    ShownBox shown([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    forms::MsgBox(QStringLiteral("No hay mensajes seleccionados"), forms::Icon::Information);
    QCOMPARE(shown.icon, QMessageBox::Information);
    QCOMPARE(shown.title, QStringLiteral("Trevolo"));
    QCOMPARE(shown.text, QStringLiteral("No hay mensajes seleccionados"));
    QCOMPARE(shown.captions.size(), 1);
}

void tst_forms::realQuestionDefaultsToNo_data()
{
    QTest::addColumn<QString>("press"); // a button's caption, or empty for the Return key
    QTest::addColumn<bool>("yes");
    QTest::newRow("Return takes the default, No") << QString() << false;
    QTest::newRow("No") << siNo.no << false;
    QTest::newRow("Sí") << siNo.yes << true;
}

void tst_forms::realQuestionDefaultsToNo()
{
    QFETCH(QString, press);
    QFETCH(bool, yes);
    forms::SetBoxResponder({});
    ShownBox shown([press](QMessageBox& box) {
        if (press.isEmpty())
            QTest::keyClick(&box, Qt::Key_Return);
        for (QAbstractButton* b : box.buttons())
            if (b->text() == press)
                b->click();
    });
    QCOMPARE(forms::Question(QStringLiteral("¿Reemplazar el archivo?"), siNo), yes);
    QCOMPARE(shown.icon, QMessageBox::Question);
    QCOMPARE(shown.title, QStringLiteral("Trevolo"));
    QCOMPARE(shown.text, QStringLiteral("¿Reemplazar el archivo?"));
    shown.captions.sort();
    QCOMPARE(shown.captions, QStringList({siNo.no, siNo.yes}));
}

void tst_forms::designFontFallsBack()
{
    const QString installed = QFontDatabase::families().value(0);
    QVERIFY(!installed.isEmpty());
    const QFont first =
        forms::DesignFont({QStringLiteral("No Such Font 1234"), installed}, 39.75, true, true);
    QCOMPARE(first.family(), installed);
    QCOMPARE(first.pointSizeF(), 39.75);
    QVERIFY(first.bold());
    QVERIFY(first.italic());

    const QFont none = forms::DesignFont({QStringLiteral("No Such Font 1234")}, 8.25);
    QCOMPARE(none.family(), QApplication::font().family());
    QVERIFY(!none.bold());
}

void tst_forms::bgrColours()
{
    QCOMPARE(forms::ColorBGR(0x000040C0), QColor(192, 64, 0));
    QCOMPARE(forms::ColorBGR(0x00000000), QColor(0, 0, 0));
    QCOMPARE(forms::ColorBGR(0x00FF8000), QColor(0, 128, 255));
}

void tst_forms::rndStaysBelowOne()
{
    forms::Randomize();
    int buckets[5] = {};
    for (int i = 0; i < 100000; ++i) {
        const float r = forms::Rnd();
        QVERIFY(r >= 0.0f && r < 1.0f);
        ++buckets[int(5.0f * r)];
    }
    for (int count : buckets)
        QVERIFY2(count > 19000 && count < 21000, qPrintable(QString::number(count)));

    testing::ScriptRnd({0.5f, 0.25f});
    QCOMPARE(forms::Rnd(), 0.5f);
    QCOMPARE(forms::Rnd(), 0.25f);
}

void tst_forms::waitReturnsWhenTheProgramEnds()
{
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer::singleShot(20, [] { forms::End(); });
    forms::DispatchEventsFor(600.0f); // ten real minutes, of which seconds are any margin
    QVERIFY(elapsed.elapsed() < 5000);
    forms::DispatchEventsFor(600.0f); // and no new wait starts once ending
    QVERIFY(elapsed.elapsed() < 5000);
}

// The standard buttons of the boxes in Spanish, from Qt's translations where the program finds
// them (on Windows, a build's Qt; beside the shipped program, qt.conf says where).
void tst_forms::qtWordsInSpanish()
{
    QVERIFY(forms::UseQtTranslation(QLocale(QLocale::Spanish)));
    const QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text().remove(u'&'), QStringLiteral("Aceptar"));
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'),
             QStringLiteral("Cancelar"));
}

QTEST_MAIN(tst_forms)
#include "tst_forms.moc"
