#include "engine/audio/G711.h"

// µ-law stores the inverted sign, a 3-bit segment and a 4-bit step, biased by 33 (0x84 / 4).
std::int16_t MuLawToLinear(std::uint8_t code) {
  const int u = static_cast<std::uint8_t>(~code);
  const int magnitude = ((((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4)) - 0x84;
  return static_cast<std::int16_t>((u & 0x80) ? -magnitude : magnitude);
}

// A-law toggles its even bits; segment 0 is linear, each later one doubles the step.
std::int16_t ALawToLinear(std::uint8_t code) {
  const int a = code ^ 0x55;
  const int segment = (a & 0x70) >> 4;
  int magnitude = (a & 0x0F) << 4;
  if (segment == 0) {
    magnitude += 8;
  } else {
    magnitude = (magnitude + 0x108) << (segment - 1);
  }
  return static_cast<std::int16_t>((a & 0x80) ? magnitude : -magnitude);
}
