#include "platform/sound/SoundOutput.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/Eventually.h"
#include "tests/support/FakeClock.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using plat::test::Eventually;

// How long a notification may take to come.
constexpr std::uint32_t kNotifyDeadlineMs = std::chrono::milliseconds(plat::test::kEventDeadline).count();

std::uint32_t WritePosition(const plat::ISoundOutput& out) {
  std::uint32_t play = 0, write = 0;
  out.GetPositions(&play, &write);
  return write;
}

// What every output does whatever drains it: pieces, their content, volume and wake-ups.
void ExpectBufferRules(plat::ISoundOutput& out) {
  EXPECT_FALSE(out.Open({}, 1001, {}));  // half a sample
  EXPECT_FALSE(out.IsOpen());
  EXPECT_EQ(out.Lock(0, 16), nullptr);
  out.SetVolume(-1250);

  ASSERT_TRUE(out.Open({}, 8000, {1000, 5000}));
  EXPECT_EQ(out.Volume(), -1250);  // kept across buffers
  std::uint8_t* piece = out.Lock(4000, 4000);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece[0], 0);  // a new buffer is silent
  EXPECT_EQ(out.Lock(0, 16), nullptr);  // one piece at a time
  std::memset(piece, 0x5A, 4000);
  out.Unlock();
  EXPECT_EQ(out.Lock(4002, 4000), nullptr);  // would pass the end
  piece = out.Lock(7000, 1000);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece[999], 0x5A);  // the buffer's content, not a fresh piece
  out.Unlock();

  out.Wake();
  EXPECT_TRUE(out.WaitNotify(kNotifyDeadlineMs));
  EXPECT_TRUE(out.Restore());
  piece = out.Lock(4000, 2);
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece[1], 0x5A);
  out.Unlock();
  out.Close();
  EXPECT_FALSE(out.IsOpen());
  EXPECT_FALSE(out.Restore());
}

TEST(SoundOutputTest, NullOutputPlaysAtTheClocksPace) {
  plat::test::FakeClock clock;
  auto out = plat::CreateNullSoundOutput(clock);
  ExpectBufferRules(*out);

  ASSERT_TRUE(out->Open({}, 16000, {8000}));
  out->SetPosition(2000);
  clock.Advance(1000);  // stopped: nothing is taken
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(WritePosition(*out), 2000u);

  out->Play();
  clock.Advance(250);  // 4000 bytes at 16000 a second
  EXPECT_TRUE(Eventually([&] { return WritePosition(*out) == 6000u; }));
  EXPECT_FALSE(out->WaitNotify(0));
  clock.Advance(250);
  EXPECT_TRUE(out->WaitNotify(kNotifyDeadlineMs));
  EXPECT_TRUE(Eventually([&] { return WritePosition(*out) == 10000u; }));
  clock.Advance(500);  // loops over the end
  EXPECT_TRUE(Eventually([&] { return WritePosition(*out) == 2000u; }));

  out->Stop();
  clock.Advance(500);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(WritePosition(*out), 2000u);
}

TEST(SoundOutputTest, DeviceOutputPlaysOnTheDummyDriver) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ASSERT_TRUE(plat::SoundDeviceAvailable());
  auto out = plat::CreateSoundOutput();
  ExpectBufferRules(*out);

  ASSERT_TRUE(out->Open({}, 8000, {2000, 6000}));
  EXPECT_FALSE(out->Lost());
  out->Play();
  EXPECT_TRUE(out->WaitNotify(kNotifyDeadlineMs));
  EXPECT_TRUE(out->WaitNotify(kNotifyDeadlineMs));
  std::uint32_t play = 0, write = 0;
  out->GetPositions(&play, &write);
  EXPECT_LT(play, 8000u);
  EXPECT_EQ((write + 8000 - play) % 8000, 1024u);  // the device holds one piece of 512 samples
  out->Stop();
  const std::uint32_t stopped = WritePosition(*out);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(WritePosition(*out), stopped);
}

}  // namespace
