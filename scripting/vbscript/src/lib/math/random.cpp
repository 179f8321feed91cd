#include "lib/math/random.h"

#include <cstring>

#include "lib/dates/dates.h"

namespace vbs::rt {

namespace {

constexpr uint32_t kMask = 0xFFFFFF;

uint32_t Step(uint32_t seed) {
    return (seed * 0x43FD43FDu + 0xC39EC3u) & kMask;
}

float ToUnit(uint32_t seed) {
    return static_cast<float>(seed) / 16777216.0f;
}

}  // namespace

float RandomGenerator::Next() {
    seed_ = Step(seed_);
    return ToUnit(seed_);
}

float RandomGenerator::Next(double arg) {
    auto f = static_cast<float>(arg);
    if (f < 0) {
        // A negative argument seeds from its Single bit pattern, so Rnd(-x) is always the same.
        uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        seed_ = Step((bits + (bits >> 24)) & kMask);
        return ToUnit(seed_);
    }
    if (f == 0) return ToUnit(seed_);
    return Next();
}

void RandomGenerator::Randomize(double seed) {
    // The high word of the Double, folded to 16 bits, replaces the middle bits of the state.
    uint64_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    auto high = static_cast<uint32_t>(bits >> 32);
    high ^= high >> 16;
    seed_ = ((high & 0xFFFF) << 8) | (seed_ & 0xFF0000FFu);
    seed_ &= kMask;
}

void RandomGenerator::Randomize() {
    Randomize(SecondsSinceMidnight());
}

}  // namespace vbs::rt
