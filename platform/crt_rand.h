// The classic Microsoft C runtime random generator, so that a picture's random
// colour-table choices are the same on every platform.
#pragma once

#include <cstdint>

namespace vortan {

class CrtRand {
  public:
    // Sets the state to seed (srand).
    void srand(std::uint32_t seed) { m_state = seed; }
    // state = state * 214013 + 2531011 (mod 2^32); returns bits 16..30 (0..32767).
    int rand() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }
    std::uint32_t state() const { return m_state; }

  private:
    std::uint32_t m_state = 1;
};

}  // namespace vortan
