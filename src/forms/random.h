#pragma once

#include <functional>

namespace forms {

// Seeds the generator from the clock.
void Randomize();

// The next pseudo-random number, 0 <= r < 1.
float Rnd();

// Tests: take the numbers from `source` instead; an empty one brings the generator back.
void SetRndSource(std::function<float()> source);

} // namespace forms
