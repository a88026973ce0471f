// The audio thread against a device played by the test: which samples reach the device, in which
// order, at which volume, where in the buffer, and what stops it.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/audio/AacDecoder.h"
#include "engine/audio/G726Decoder.h"
#include "tests/engine/audio/AudioOracle.h"
#include "tests/engine/audio/AudioTestSupport.h"
#include "tests/engine/stream/QueueTestSupport.h"

using namespace audiotest;

namespace {

constexpr std::int64_t kPlaySecond = 1709280750;

Bytes Expanded(AVCodecID law, const Bytes& codes) {
  return ToBytes(oracle::Decode(oracle::Codec{law, 8000, 1, 0, 0}, {codes}));
}

Bytes Decoded(G726Decoder& d, const Bytes& codes) {
  Bytes out(codes.size() * 16);
  int produced = static_cast<int>(out.size());
  d.Decode(out.data(), produced, codes.data(), static_cast<int>(codes.size()));
  out.resize(static_cast<std::size_t>(produced));
  return out;
}

Bytes Head(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); }
Bytes Tail(const Bytes& b, std::size_t from) { return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.end()); }

int BlocksFor(std::size_t bytes) { return static_cast<int>(bytes / kBlock) + 2; }

// The expected sound first, then blocks of the fill byte: the last byte of the block before.
void ExpectPlayedThenFilled(const Bytes& played, const Bytes& expected) {
  ASSERT_GE(played.size(), expected.size());
  ASSERT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()))
      << "first difference at byte " << (std::mismatch(expected.begin(), expected.end(), played.begin()).first - expected.begin());
  for (std::size_t i = expected.size(); i < played.size(); ++i) {
    const std::size_t blockStart = i / kBlock * kBlock;
    ASSERT_EQ(played[i], blockStart == 0 ? 0 : played[blockStart - 1]) << "byte " << i;
  }
}

}  // namespace

TEST(AudioCtxTest, FramesOfEveryKindReachTheDeviceWholeAndInOrder) {
  AudioRig rig;
  rig.state.playClock.Set(kPlaySecond);
  const Bytes pcm = Pcm(5000, 1);  // longer than a block: runs on into the next
  const Bytes mu = Codes(5000, 2), a = Codes(3000, 3);
  const Bytes odd = Head(Pcm(500, 4), 999);  // a trailing half sample
  const Bytes after = Pcm(700, 5);

  // AAC in stereo at 16 kHz, three ADTS frames to a queue item; an item decodes to more than
  // the room a block may have left.
  const oracle::Codec aac{AV_CODEC_ID_AAC, 16000, 2, 0, 64000};
  const std::vector<Bytes> adts = oracle::ToAdts(oracle::Encode(aac, oracle::TestSignal(32000, 16000, 2, 6)), 16000, 2);
  ASSERT_GT(adts.size(), 9u);
  std::vector<Bytes> aacItems;
  for (std::size_t i = 0; i + 3 <= adts.size(); i += 3) aacItems.push_back(oracle::Concat({adts[i], adts[i + 1], adts[i + 2]}));
  CAacDecoder reference;
  ASSERT_TRUE(reference.Open());
  Bytes aacSound;
  for (const Bytes& item : aacItems) {
    reference.Decode(item.data(), item.size());
    Bytes taken(reference.Pending());
    taken.resize(reference.Take(taken.data(), taken.size()));
    aacSound.insert(aacSound.end(), taken.begin(), taken.end());
  }
  ASSERT_GT(aacSound.size(), 3 * kBlock);

  ASSERT_TRUE(rig.feed.Put(kItemPcm16, pcm));
  ASSERT_TRUE(rig.feed.Put(kItemMuLaw, mu));
  ASSERT_TRUE(rig.feed.Put(kItemALaw, a));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, odd));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, after));
  for (const Bytes& item : aacItems) ASSERT_TRUE(rig.feed.Put(kItemAac, item));
  ASSERT_TRUE(rig.feed.Put(70, Codes(99, 7)));  // no decoder: the rest of its block is filled

  ASSERT_TRUE(rig.audio.Init(0));
  const Bytes expected = Concat({pcm, Expanded(AV_CODEC_ID_PCM_MULAW, mu), Expanded(AV_CODEC_ID_PCM_ALAW, a), Head(odd, 998),
                                 after, aacSound});
  const Bytes played = rig.device->TakeBlocks(BlocksFor(expected.size()));
  ExpectPlayedThenFilled(played, expected);
  // The sound never touches the play clock that the source and the video thread keep.
  EXPECT_EQ(rig.state.playClock.Get(), kPlaySecond);
}

TEST(AudioCtxTest, AdpcmFramesKeepTheirPredictorUntilTheTypeChangesAndUndecodableTailsAreDropped) {
  AudioRig rig;
  const oracle::Codec g726{AV_CODEC_ID_ADPCM_G726, 8000, 1, 4, 32000};
  const Bytes codes = oracle::Concat(oracle::Encode(g726, oracle::TestSignal(4000, 8000, 1, 8)));
  ASSERT_EQ(codes.size(), 2000u);
  const Bytes first = Concat({Head(codes, 1000), Bytes{0x12, 0x34, 0x56}});  // three bytes never form a word
  const Bytes second = Tail(codes, 1000);
  const Bytes sameSize = Head(codes, 1000);  // 4 bits a code again, under the other type number
  const Bytes two = Codes(8, 9), three = Codes(8, 10), five = Codes(8, 11), tooShort = Codes(2, 12);
  const Bytes after = Pcm(300, 13);

  ASSERT_TRUE(rig.feed.Put(34, first));
  ASSERT_TRUE(rig.feed.Put(34, second));
  ASSERT_TRUE(rig.feed.Put(50, sameSize));
  ASSERT_TRUE(rig.feed.Put(48, two));
  ASSERT_TRUE(rig.feed.Put(33, three));
  ASSERT_TRUE(rig.feed.Put(35, five));
  ASSERT_TRUE(rig.feed.Put(32, tooShort));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, after));
  ASSERT_TRUE(rig.audio.Init(0));

  G726Decoder running, fresh;
  running.SetCodec(34);
  const Bytes firstSound = Decoded(running, Head(first, 1000));
  const Bytes secondSound = Decoded(running, second);  // the predictor carries on
  fresh.SetCodec(50);
  const Bytes sameSizeSound = Decoded(fresh, sameSize);
  EXPECT_NE(sameSizeSound, Decoded(running, sameSize));  // a new type starts a new prediction
  G726Decoder d48, d33, d35;
  d48.SetCodec(48);
  d33.SetCodec(33);
  d35.SetCodec(35);
  const Bytes twoSound = Decoded(d48, two), threeSound = Decoded(d33, three), fiveSound = Decoded(d35, five);
  EXPECT_EQ(twoSound.size(), 64u);    // 16 codes a word
  EXPECT_EQ(threeSound.size(), 40u);  // 10 codes a word
  EXPECT_EQ(fiveSound.size(), 24u);   // 6 codes a word

  const Bytes expected = Concat({firstSound, secondSound, sameSizeSound, twoSound, threeSound, fiveSound, after});
  ExpectPlayedThenFilled(rig.device->TakeBlocks(BlocksFor(expected.size())), expected);
}

TEST(AudioCtxTest, VolumeIsAppliedToWhatPlaysAndKeptForTheNextBuffer) {
  AudioRig rig;
  const Bytes pcm = Pcm(4 * kBlock / 2, 14);
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, Head(pcm, 2 * kBlock)));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, Tail(pcm, 2 * kBlock)));
  rig.audio.SetVolume(-1250);  // before the thread: applied to the buffer it makes
  ASSERT_TRUE(rig.audio.Init(0));
  EXPECT_EQ(rig.device->Volume(), -1250);

  const std::vector<std::int16_t> source = oracle::Samples(pcm);
  const std::vector<std::int16_t> quieter = oracle::Samples(rig.device->TakeBlocks(1));
  const double gain = std::pow(10.0, -1250 / 2000.0);
  for (std::size_t i = 0; i < quieter.size(); ++i) ASSERT_NEAR(quieter[i], source[i] * gain, 1.0) << i;

  rig.audio.SetVolume(plat::kVolumeSilent);
  const Bytes silent = rig.device->TakeBlocks(1);
  EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](std::uint8_t b) { return b == 0; }));
  rig.audio.SetVolume(0);
  EXPECT_EQ(rig.device->TakeBlocks(1), Bytes(pcm.begin() + 2 * kBlock, pcm.begin() + 3 * kBlock));

  rig.audio.SetVolume(-600);
  rig.audio.RequestReset();
  rig.device->TakeBlocks(1);
  ASSERT_TRUE(Eventually([&] { return rig.device->Opens() == 2; }));
  EXPECT_EQ(rig.device->Volume(), -600);
  EXPECT_EQ(rig.audio.Volume(), -600);
}

TEST(AudioCtxTest, BlocksLieWhollyInsideTheBufferAndAStallSkipsExactlyOne) {
  AudioRig rig;
  const Bytes pcm = Pcm(400000, 15);  // more than the buffer holds
  for (std::size_t at = 0; at < pcm.size(); at += 16000) ASSERT_TRUE(rig.feed.Put(kItemPcm16, Bytes(pcm.begin() + at, pcm.begin() + at + 16000)));
  ASSERT_TRUE(rig.audio.Init(0));

  // Round the buffer and on: the sound goes on whole across its end.
  constexpr int kTaken = CSoundCursor::kBlockCount + 6;
  const Bytes played = rig.device->TakeBlocks(kTaken);
  EXPECT_EQ(played, Head(pcm, played.size()));
  ASSERT_TRUE(rig.device->WaitUnlocks(kTaken + 2));  // two blocks ahead of the device
  std::vector<std::pair<std::uint32_t, std::uint32_t>> locks = rig.device->Locks();
  ASSERT_EQ(locks.size(), static_cast<std::size_t>(kTaken + 2));
  for (std::size_t i = 0; i < locks.size(); ++i) {
    EXPECT_EQ(locks[i].first, i % CSoundCursor::kBlockCount * kBlock) << i;
    EXPECT_EQ(locks[i].second, kBlock) << i;
  }

  // The device plays on past the blocks written while the thread is held up: the thread writes
  // the block it was at, finds itself behind and skips one block to get ahead again.
  const std::uint32_t at = locks.back().first + kBlock;
  rig.device->TakeStale(4 * kBlock);
  rig.device->Permit();
  rig.device->Permit();
  ASSERT_TRUE(rig.device->WaitUnlocks(kTaken + 4));
  locks = rig.device->Locks();
  EXPECT_EQ(locks[kTaken + 2].first, at);
  EXPECT_EQ(locks[kTaken + 3].first, at + 2 * kBlock);
}

TEST(AudioCtxTest, NothingStartsWithoutSoundOrWithoutADevice) {
  {
    AudioRig rig;
    rig.state.audioEnabled = false;
    EXPECT_TRUE(rig.audio.Init(0));
    EXPECT_FALSE(rig.audio.IsRunning());
    EXPECT_EQ(rig.device->Opens(), 0);
    EXPECT_FALSE(rig.queue.DropOldest());
  }
  AudioRig rig(false);
  EXPECT_TRUE(rig.audio.Init(0));
  EXPECT_FALSE(rig.audio.IsRunning());
  EXPECT_EQ(rig.device->Opens(), 1);
  // Nothing takes the sound: a full queue drops its oldest frames instead of holding up the source.
  EXPECT_TRUE(rig.queue.DropOldest());
  for (int i = 0; i < 2 * static_cast<int>(kQueueItems); ++i) ASSERT_TRUE(rig.feed.Put(kItemPcm16, Pcm(320, 16)));
  EXPECT_LT(rig.queue.Count(), kQueueItems);
}

TEST(AudioCtxTest, LockFailuresAndLostDevicesNeverKeepTheThreadFromStopping) {
  AudioRig rig;
  const Bytes pcm = Pcm(static_cast<int>(kBlock), 17);  // two blocks
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, pcm));
  rig.device->SetFailLocks(true);
  ASSERT_TRUE(rig.audio.Init(0));
  ASSERT_TRUE(Eventually([&] { return rig.device->LockCalls() >= 3; }));
  EXPECT_TRUE(rig.audio.Stop(10000));
  EXPECT_FALSE(rig.audio.IsRunning());
  const int calls = rig.device->LockCalls();
  Sleep(30);
  EXPECT_EQ(rig.device->LockCalls(), calls);

  // A lost device is restored and the thread writes on where it was.
  rig.device->SetFailLocks(false);
  rig.device->LoseDevice();
  ASSERT_TRUE(rig.audio.Init(0));
  EXPECT_EQ(rig.device->TakeBlocks(2), Head(pcm, 2 * kBlock));
  EXPECT_EQ(rig.device->Restores(), 1);
  EXPECT_TRUE(rig.audio.Stop(10000));
}

TEST(AudioCtxTest, AnotherChannelPlaysOnlyNearThePlayClockAndNeverReplaysOldSound) {
  AudioRig rig;
  rig.state.playClock.Set(kPlaySecond);
  const Bytes lead = Pcm(3500, 18);    // plays: its second is the play clock's
  const Bytes early = Pcm(4500, 19);   // 3 s ahead of the play clock: waits
  const Bytes late = Pcm(1000, 20);    // 5 s behind once the clock moves on: dropped
  const Bytes onTime = Pcm(1000, 21);
  ASSERT_NE(lead[kBlock - 1], 0);  // so that a block left as it was would show
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, lead, 0, kPlaySecond));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, early, 0, kPlaySecond + 3));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, late, 0, kPlaySecond - 3));
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, onTime, 0, kPlaySecond + 2));
  ASSERT_TRUE(rig.audio.Init(1));

  // Blocks 0 and 1 are written at once: the lead, then the rest of block 1 filled in place of the
  // waiting frame. Once the clock moves on the frame plays, the late one is dropped.
  ASSERT_TRUE(rig.device->WaitUnlocks(2));
  rig.state.playClock.Set(kPlaySecond + 2);
  const Bytes played = rig.device->TakeBlocks(6);

  const auto fillTo = [](Bytes b, std::size_t size, std::uint8_t fill) {
    b.resize(size, fill);
    return b;
  };
  const Bytes expected = Concat({fillTo(lead, 2 * kBlock, lead[kBlock - 1]), fillTo(early, 2 * kBlock, early[kBlock - 1]),
                                 fillTo(onTime, 2 * kBlock, early[kBlock - 1])});
  EXPECT_EQ(played, expected);
}
