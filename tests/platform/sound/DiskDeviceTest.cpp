// Plays through SDL's disk driver, which writes what reaches the device to a file, to see that
// the samples written block by block come out whole and in order.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/sound/SoundOutput.h"
#include "tests/support/Eventually.h"

namespace {

constexpr std::uint32_t kBlock = 4000;  // 250 ms
constexpr std::uint32_t kBlocks = 4;
constexpr int kStreamBlocks = 9;
constexpr std::uint32_t kNotifyDeadlineMs = std::chrono::milliseconds(plat::test::kEventDeadline).count();

void StopAudio() {
  while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Samples 1, 2, 3... so that any loss, repeat or reordering shows.
void FillBlock(std::uint8_t* out, int block) {
  for (std::uint32_t i = 0; i < kBlock; i += 2) {
    const std::uint32_t sample = block * kBlock / 2 + i / 2 + 1;
    out[i] = static_cast<std::uint8_t>(sample & 0xFF);
    out[i + 1] = static_cast<std::uint8_t>((sample >> 8) & 0x7F);
  }
}

bool WriteBlock(plat::ISoundOutput& out, int block) {
  std::uint8_t* piece = out.Lock(block % kBlocks * kBlock, kBlock);
  if (!piece) return false;
  FillBlock(piece, block);
  out.Unlock();
  return true;
}

TEST(DiskDeviceTest, BlocksReachTheDeviceWholeAndInOrder) {
  const char* dir = std::getenv("PLAYER_TEST_OUTPUT");
  const std::filesystem::path folder = dir ? dir : std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "disk-device-test.raw";
  std::filesystem::remove(file);

  StopAudio();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    auto out = plat::CreateSoundOutput();
    std::vector<std::uint32_t> notify;
    for (std::uint32_t b = 0; b < kBlocks; ++b) notify.push_back(b * kBlock + kBlock / 2);
    ASSERT_TRUE(out->Open({}, kBlocks * kBlock, notify));
    // As the audio thread does: the first block, play, then one block ahead per notification.
    ASSERT_TRUE(WriteBlock(*out, 0));
    out->Play();
    for (int block = 1; block < kStreamBlocks; ++block) {
      ASSERT_TRUE(WriteBlock(*out, block));
      ASSERT_TRUE(out->WaitNotify(kNotifyDeadlineMs));
    }
    ASSERT_TRUE(out->WaitNotify(kNotifyDeadlineMs));
    out->Stop();
    out->Close();
  }
  StopAudio();
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> played{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::uint8_t> stream(kStreamBlocks * kBlock);
  for (int b = 0; b < kStreamBlocks; ++b) FillBlock(stream.data() + b * kBlock, b);
  // Silence until playing starts, then the stream.
  const auto start = std::find_if(played.begin(), played.end(), [](std::uint8_t v) { return v != 0; });
  ASSERT_NE(start, played.end());
  EXPECT_EQ((start - played.begin()) % 2, 0);
  const size_t available = static_cast<size_t>(played.end() - start);
  ASSERT_GE(available, static_cast<size_t>((kStreamBlocks - 1) * kBlock));
  const size_t compared = std::min(available, stream.size());
  EXPECT_TRUE(std::equal(stream.begin(), stream.begin() + compared, start));
}

}  // namespace
