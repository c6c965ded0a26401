#include "random.h"

#include "clock.h"

#include <bit>
#include <cstdint>
#include <random>

namespace forms {
namespace {

std::mt19937& generator()
{
    static std::mt19937 instance;
    return instance;
}

std::function<float()> scripted;

} // namespace

void Randomize()
{
    generator().seed(std::bit_cast<std::uint32_t>(Timer()));
}

float Rnd()
{
    if (scripted)
        return scripted();
    // 24 random bits fill a float's mantissa exactly, so the result never rounds up to 1.
    return float(generator()() >> 8) / 16777216.0f;
}

void SetRndSource(std::function<float()> source)
{
    scripted = std::move(source);
}

} // namespace forms
