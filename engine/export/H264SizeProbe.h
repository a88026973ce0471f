// The picture size of an H.264 key-frame group, found by decoding it.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes the Annex B data (parameter sets and an IDR picture) and gives the size of the picture
// it yields. False when no decoder could be made; width and height are 0 when the data gave no
// picture.
bool ProbeH264Size(const std::uint8_t* data, std::size_t bytes, int& width, int& height);
