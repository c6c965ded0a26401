#include "clock.h"

#include <QElapsedTimer>
#include <QTime>

#include <climits>
#include <cmath>

namespace forms {
namespace {

constexpr double secondsPerDay = 86400.0;

struct Clock {
    bool real = true;
    double origin = 0.0;
    double speed = 1.0;
    QElapsedTimer since;
};

Clock& clock()
{
    static Clock instance;
    return instance;
}

} // namespace

float Timer()
{
    const Clock& c = clock();
    if (c.real)
        return float(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    const double reading = c.origin + c.speed * double(c.since.nsecsElapsed()) / 1e9;
    return float(std::fmod(reading, secondsPerDay));
}

float SecondsSince(float reading)
{
    const float passed = Timer() - reading;
    return passed < 0.0f ? passed + float(secondsPerDay) : passed;
}

void SetClock(double reading, double speed)
{
    Clock& c = clock();
    c.real = false;
    c.origin = reading;
    c.speed = speed;
    c.since.start();
}

void UseRealClock()
{
    clock() = Clock{};
}

int RealMilliseconds(double clockSeconds)
{
    if (!(clockSeconds > 0.0))
        return 0;
    const double ms = std::ceil(clockSeconds * 1000.0 / clock().speed);
    return ms >= double(INT_MAX) ? INT_MAX : std::max(1, int(ms));
}

} // namespace forms
