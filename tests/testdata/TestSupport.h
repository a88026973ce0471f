// Helpers shared by the builder's tests: pinned time zone, raw file reads, short finding names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testdata/SelfCheck.h"
#include "testdata/StoreBuildTest.h"

namespace fixtures::testing {

class BuilderTest : public StoreBuildTest {
 protected:
  BuilderTest() : StoreBuildTest("cardgen-test") {}
};

// `n` bytes of a file from offset `at`; none unless all of them are there.
std::vector<std::uint8_t> ReadBytes(const std::string& path, std::uint64_t at, std::size_t n);
std::uint32_t Be32At(const std::vector<std::uint8_t>& bytes, std::size_t at);

// "kind r<recording> c<chunk> k<copy> s<slot> @<offset>", with only the parts that are set.
std::string Brief(const Finding& f);
// The brief forms of all findings, sorted.
std::vector<std::string> Briefs(const CheckReport& report);
std::string BriefOf(Finding::Kind kind, int recording, int chunk = -1, int copy = 0, int slot = -1,
                    std::int64_t offset = -1);

}  // namespace fixtures::testing
