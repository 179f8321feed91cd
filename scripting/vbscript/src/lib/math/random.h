// The pseudo-random sequence of Rnd and Randomize, reproducing VBScript's 24-bit generator so that
// a seeded script (Rnd(-1): Randomize n) sees the same numbers as on the original engine.
#pragma once

#include <cstdint>

namespace vbs::rt {

class RandomGenerator {
  public:
    // Rnd without an argument: the next number in [0, 1).
    float Next();
    // Rnd(arg): arg > 0 the next number; arg = 0 the last number again; arg < 0 reseeds from
    // the bits of arg (as a Single) and returns the number of that seed, always the same.
    float Next(double arg);
    // Randomize seed: mixes the bits of the Double seed into the current state.
    void Randomize(double seed);
    // Randomize without an argument: seeds from the time of day (Timer).
    void Randomize();

  private:
    uint32_t seed_ = 0x50000;  // VBScript's initial state: the first Rnd(0) is 327680 / 2^24.
};

}  // namespace vbs::rt
