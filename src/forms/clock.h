#pragma once

namespace forms {

// Seconds since local midnight, in single precision: the program's one clock. Every wait and
// every timer interval is measured on it, so a faster clock speeds the whole program up alike.
float Timer();

// The clock's seconds since it read `reading`, counted on across midnight.
float SecondsSince(float reading);

// Tests: from now on the clock reads `reading` and runs `speed` times faster than real time.
void SetClock(double reading, double speed);
// Back to the local time of day.
void UseRealClock();

// The real milliseconds that `clockSeconds` seconds of the program clock last (0 for none,
// at least 1 for any positive time, at most the largest int).
int RealMilliseconds(double clockSeconds);

} // namespace forms
