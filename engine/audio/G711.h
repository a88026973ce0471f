// G.711 companded sound, one byte a sample, expanded to 16-bit linear samples.
#pragma once

#include <cstdint>

std::int16_t MuLawToLinear(std::uint8_t code);
std::int16_t ALawToLinear(std::uint8_t code);
