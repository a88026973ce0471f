#include "engine/audio/G711.h"

#include <gtest/gtest.h>

#include "tests/engine/audio/AudioOracle.h"

TEST(G711Test, ExpansionMatchesTheReferenceForEveryCode) {
  oracle::Bytes codes;
  for (int c = 0; c < 256; ++c) codes.push_back(static_cast<std::uint8_t>(c));
  const struct {
    AVCodecID id;
    std::int16_t (*expand)(std::uint8_t);
  } laws[] = {{AV_CODEC_ID_PCM_MULAW, MuLawToLinear}, {AV_CODEC_ID_PCM_ALAW, ALawToLinear}};
  for (const auto& law : laws) {
    SCOPED_TRACE(law.id);
    const std::vector<std::int16_t> reference = oracle::Decode({law.id, 8000, 1}, {codes});
    ASSERT_EQ(reference.size(), codes.size());
    for (int c = 0; c < 256; ++c) EXPECT_EQ(law.expand(static_cast<std::uint8_t>(c)), reference[c]) << "code " << c;
  }
}
