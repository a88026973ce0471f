// How the process's allocator treats large blocks.
#pragma once

namespace plat {

// Blocks of 256 KiB and more (pictures, units kept for backward play, queue areas) are mapped
// for themselves and given back to the system when freed. The allocator would otherwise raise
// that bound each time such a block is freed and then carve the next ones out of its heap, where
// the holes they leave, of ever other sizes as the user changes speed, direction and recording,
// keep the process growing over a long session although it holds no more data. Called once,
// first thing in the program.
void KeepLargeBlocksMapped();

}  // namespace plat
