#pragma once
// The program's one pseudo-random generator: numbers in [0, 1), never seeded,
// so every run draws the same sequence. A 24-bit linear congruential
// generator, like the classic BASIC Rnd.

#include <cstdint>

namespace prng {

double next();            // the next number in [0, 1)
void restart_sequence();  // back to the first number of the run (tests only)

}  // namespace prng
