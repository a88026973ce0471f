// The sensor text that the recorder writes into the private-data stream of its transport
// streams ("X:0.5 Y:-0.25 Z:1.0 L:30", and a GPS sentence from byte 32 on), turned into the
// sensor block that card recordings carry in their chunk trailers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/store/IndexBlock.h"

constexpr std::size_t kSensorTextMax = 300;
constexpr std::size_t kSensorGpsOffset = 32;  // where the GPS sentence lies in the text

// Applies one text (the PES payload) to the block, in host order. The block gets its magic. A
// text holding "$G" replaces the block's GPS area with the 160 bytes from payload offset 32 on
// (zeros past the payload's end). "X:", "Y:" and "Z:" give the next sample triple in g × 512,
// truncated and held to 16 bits (a missing value is 0); "L:" gives a lean angle, held to
// -90..90, stored in the 16-bit word right after the triple while that word lies in the sample
// area. The sample count wraps to 0 at 50.
void ApplySensorText(IndexBlockA5& block, const std::uint8_t* payload, std::size_t length);
