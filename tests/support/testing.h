#pragma once

#include "forms/boxes.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace testing {

// Every test starts here: no windows, the program not ending, the clock reading `reading` and
// running `speed` times faster than real time, the real random generator, and every box
// answered by the log below.
void CleanSlate(double reading = 0.0, double speed = 1.0);

// The boxes shown since the last CleanSlate(), and the answers the input boxes get in turn
// (an empty answer, as Cancel gives, once they run out).
struct BoxLog {
    QList<forms::Box> shown;
    QStringList answers;
    std::function<void(const forms::Box&)> onShow; // runs while the box is "open"
};
BoxLog& Boxes();

// Random numbers that follow `values` in turn; running out fails the test loudly.
void ScriptRnd(const QList<float>& values);

} // namespace testing
