#include "forms/clock.h"
#include "forms/program.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QTimer>
#include <QtTest>

#include <ctime>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using modGral::Espera;

class tst_espera : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }

    void noTimeReturnsWithoutDispatching_data();
    void noTimeReturnsWithoutDispatching();
    void eventsRunDuringTheWait();
    void waitBlocksInsteadOfSpinning();
    void nestedWaitReturnsFirst();
    void outerWaitEndsAfterTheInnerHandler();
    void waitAcrossMidnightLastsItsSeconds();
    void endingUnwindsNestedWaits();
};

void tst_espera::noTimeReturnsWithoutDispatching_data()
{
    QTest::addColumn<float>("seconds");
    QTest::newRow("zero") << 0.0f;
    QTest::newRow("negative") << -5.0f;
}

void tst_espera::noTimeReturnsWithoutDispatching()
{
    QFETCH(float, seconds);
    bool ran = false;
    QMetaObject::invokeMethod(
        this, [&ran] { ran = true; }, Qt::QueuedConnection);
    Espera(seconds);
    QVERIFY(!ran);
    QCoreApplication::processEvents(); // it was pending all along
    QVERIFY(ran);
}

void tst_espera::eventsRunDuringTheWait()
{
    forms::UseRealClock();
    bool queued = false, timed = false;
    QMetaObject::invokeMethod(
        this, [&queued] { queued = true; }, Qt::QueuedConnection);
    QTimer::singleShot(100, [&timed] { timed = true; });
    QElapsedTimer elapsed;
    elapsed.start();
    Espera(0.25f);
    QVERIFY(queued);
    QVERIFY(timed);
    // A quarter of a second of the time of day in single precision, whose steps are 1/128 s
    // after 18:12: the start and the end may each be rounded by half of one.
    QVERIFY2(elapsed.elapsed() >= 250 - 8, qPrintable(QString::number(elapsed.elapsed())));
}

namespace {

// Processor time of this process so far (Windows' clock() counts the wall clock instead).
double cpuTime()
{
#ifdef Q_OS_WIN
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return double((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

} // namespace

// The old wait polled the clock for its whole length: a processor core stayed busy for the
// whole life of the program.
void tst_espera::waitBlocksInsteadOfSpinning()
{
    forms::UseRealClock();
    const double cpuBefore = cpuTime();
    Espera(0.5f);
    const double cpuSeconds = cpuTime() - cpuBefore;
    // A wait that spins takes all the processor it gets, two thirds of a core even with both
    // cores kept busy by others; one that blocks, a few milliseconds.
    QVERIFY2(cpuSeconds < 0.2, qPrintable(QString::number(cpuSeconds)));
}

void tst_espera::nestedWaitReturnsFirst()
{
    QStringList order;
    float innerEnd = 0.0f;
    testing::After(10.0, nullptr, [&] {
        order << QStringLiteral("inner starts");
        Espera(0.25f);
        innerEnd = forms::Timer();
        order << QStringLiteral("inner returns");
    });
    Espera(600.0f);
    order << QStringLiteral("outer returns");
    QCOMPARE(order, QStringList({QStringLiteral("inner starts"), QStringLiteral("inner returns"),
                                 QStringLiteral("outer returns")}));
    QCOMPARE(innerEnd, 10.25f);
    QCOMPARE(forms::Timer(), 600.0f);
}

void tst_espera::outerWaitEndsAfterTheInnerHandler()
{
    float innerEnd = 0.0f;
    testing::After(1.0, nullptr, [&] {
        Espera(20.0f); // outlasts the outer wait's end time
        innerEnd = forms::Timer();
    });
    Espera(5.0f);
    QCOMPARE(innerEnd, 21.0f);
    QCOMPARE(forms::Timer(), 21.0f); // at once after it
}

void tst_espera::waitAcrossMidnightLastsItsSeconds()
{
    forms::UseVirtualClock(86399.0);
    Espera(3.0f);
    // 2.0 but for single precision's step near 86 400, 1/128 s. A wait that missed midnight
    // would last for ever.
    const float now = forms::Timer();
    QVERIFY2(std::abs(now - 2.0f) <= 1.0f / 128, qPrintable(QString::number(now)));
}

void tst_espera::endingUnwindsNestedWaits()
{
    bool innerReturned = false;
    testing::After(1.0, nullptr, [&] {
        testing::After(1.0, nullptr, [] { forms::End(); });
        Espera(600.0f);
        innerReturned = true;
    });
    Espera(600.0f);
    QVERIFY(innerReturned);
    QCOMPARE(forms::Timer(), 2.0f);
}

QTEST_MAIN(tst_espera)
#include "tst_espera.moc"
