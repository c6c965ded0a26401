#include "clock.h"

#include "program.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace forms {
namespace {

constexpr double secondsPerDay = 86400.0;

struct Clock {
    enum class Kind { Real, Fast, Virtual } kind = Kind::Real;
    double origin = 0.0;
    double speed = 1.0;
    double virtualSeconds = 0.0; // since origin
    QElapsedTimer since;

    Clock() { since.start(); }
};

Clock& clock()
{
    static Clock instance;
    return instance;
}

} // namespace

// The virtual clock's alarms. When an event loop is about to block, every event posted so far
// delivered, the earliest alarm due is rung from an event posted then; its handlers, and any
// loop they wait in, run as they would from a timer's.
class Schedule : public QObject {
public:
    static Schedule& instance()
    {
        static auto* schedule = new Schedule; // posted to until the very end: never deleted
        return *schedule;
    }

    Schedule()
    {
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                &Schedule::post);
    }

    void add(Alarm* alarm)
    {
        alarm->scheduled = true;
        entries.push_back({alarm, ++started});
    }

    void remove(Alarm* alarm)
    {
        alarm->scheduled = false;
        std::erase_if(entries, [alarm](const Entry& e) { return e.alarm == alarm; });
    }

    void clear()
    {
        for (const Entry& e : entries)
            e.alarm->scheduled = false;
        entries.clear();
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != ringType())
            return QObject::event(e);
        posted = false;
        if (entries.empty() || Ending())
            return true;
        const auto first = std::min_element(entries.begin(), entries.end(), earlier);
        Alarm* alarm = first->alarm;
        entries.erase(first);
        clock().virtualSeconds = std::max(clock().virtualSeconds, alarm->due);
        alarm->scheduled = false;
        if (alarm->every > 0.0) {
            alarm->due += alarm->every;
            add(alarm);
        }
        emit alarm->rings();
        return true;
    }

private:
    struct Entry {
        Alarm* alarm;
        quint64 order;
    };

    static bool earlier(const Entry& a, const Entry& b)
    {
        return a.alarm->due != b.alarm->due ? a.alarm->due < b.alarm->due : a.order < b.order;
    }

    static QEvent::Type ringType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    void post()
    {
        if (posted || entries.empty() || Ending()) // an ending program's clock stands still
            return;
        posted = true;
        QCoreApplication::postEvent(this, new QEvent(ringType()));
    }

    std::vector<Entry> entries;
    quint64 started = 0;
    bool posted = false;
};

float Timer()
{
    const Clock& c = clock();
    if (c.kind == Clock::Kind::Real)
        return float(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    return float(std::fmod(c.origin + Elapsed(), secondsPerDay));
}

double Elapsed()
{
    const Clock& c = clock();
    if (c.kind == Clock::Kind::Virtual)
        return c.virtualSeconds;
    return c.speed * double(c.since.nsecsElapsed()) / 1e9;
}

void SetClock(double reading, double speed)
{
    Schedule::instance().clear();
    Clock& c = clock();
    c = Clock{};
    c.kind = Clock::Kind::Fast;
    c.origin = reading;
    c.speed = speed;
}

void UseVirtualClock(double reading)
{
    SetClock(reading, 1.0);
    clock().kind = Clock::Kind::Virtual;
}

void UseRealClock()
{
    Schedule::instance().clear();
    clock() = Clock{};
}

int RealMilliseconds(double clockSeconds)
{
    if (!(clockSeconds > 0.0))
        return 0;
    const double ms = std::ceil(clockSeconds * 1000.0 / clock().speed);
    return ms >= double(INT_MAX) ? INT_MAX : std::max(1, int(ms));
}

double TimerStep()
{
    const Clock& c = clock();
    return c.kind == Clock::Kind::Virtual ? 0.0 : c.speed * 0.001;
}

Alarm::Alarm(QObject* parent)
    : QObject(parent)
{
}

Alarm::~Alarm()
{
    stop();
}

void Alarm::start(double clockSeconds, bool repeat)
{
    stop();
    if (clock().kind == Clock::Kind::Virtual) {
        due = Elapsed() + std::max(clockSeconds, 0.0);
        every = repeat && clockSeconds > 0.0 ? clockSeconds : 0.0;
        Schedule::instance().add(this);
        return;
    }
    if (!timer) {
        timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer); // a coarse timer may ring 5 % early
        connect(timer, &QTimer::timeout, this, &Alarm::rings);
    }
    timer->setSingleShot(!repeat);
    timer->start(RealMilliseconds(clockSeconds));
}

void Alarm::stop()
{
    if (scheduled)
        Schedule::instance().remove(this);
    if (timer)
        timer->stop();
}

bool Alarm::isActive() const
{
    return scheduled || (timer && timer->isActive());
}

} // namespace forms
