#pragma once

#include <QObject>

class QTimer;

namespace forms {

// Seconds since local midnight, in single precision: the program's one clock. Every wait and
// every timer interval is measured on it, so a faster clock speeds the whole program up alike.
float Timer();

// Seconds of the same clock since it was last set, in double precision and never wrapped: for
// the spans the program times for itself, finer than Timer()'s steps (1/128 s in the evening).
double Elapsed();

// Tests: from now on the clock reads `reading` and runs `speed` times faster than real time.
void SetClock(double reading, double speed);

// Tests: from now on the clock reads `reading` and moves only when the program waits, by
// discrete events. Every Alarm below is an entry in a schedule; whenever an event loop, nested
// or modal, is about to block with every posted event delivered, the clock jumps to the
// earliest alarm due and rings it (the earliest started first, among alarms due together). So
// a wait of 600 s takes no real time, a timer rings exactly on its interval, nothing sleeps.
// What it cannot do: time spent computing takes none of its time; a pass over the events that
// does not wait (QCoreApplication::processEvents(), the waits of Qt Test) never moves it; Qt's
// own timers (a cursor's blink, the wait for the window manager) and other processes run in
// real time, and what waits for them may find the clock far ahead; a program that always has
// an alarm due runs its clock on at full speed until it ends, when the clock stops. Under
// GLib's event dispatcher a loop may block with events still posted, so tests use Qt's own
// (QT_NO_GLIB).
void UseVirtualClock(double reading);

// Back to the local time of day.
void UseRealClock();

// The real milliseconds that `clockSeconds` seconds of the program clock last (0 for none,
// at least 1 for any positive time, at most the largest int).
int RealMilliseconds(double clockSeconds);

// One real millisecond, in seconds of the program clock (none on the virtual clock): the step
// a real timer rings in. The event loop sleeps in whole milliseconds, rounded up, so an alarm
// rings up to a step after its time.
double TimerStep();

// Rings once, or at every interval with `repeat`, after `clockSeconds` of the program clock:
// a precise timer on the real and the accelerated clock, an entry of the schedule on the
// virtual one. Starting it again restarts the count.
class Alarm : public QObject {
    Q_OBJECT
public:
    explicit Alarm(QObject* parent = nullptr);
    ~Alarm() override;
    void start(double clockSeconds, bool repeat = false);
    void stop();
    bool isActive() const;

signals:
    void rings();

private:
    friend class Schedule;
    QTimer* timer = nullptr; // on the real or the accelerated clock
    double due = 0.0;        // on the virtual clock: when, and how often
    double every = 0.0;
    bool scheduled = false;
};

} // namespace forms
