#include "tests/testdata/TestSupport.h"

#include <algorithm>

#include "platform/ByteOrder.h"
#include "testdata/FileBytes.h"

namespace fixtures::testing {

std::vector<std::uint8_t> ReadBytes(const std::string& path, std::uint64_t at, std::size_t n) {
  std::vector<std::uint8_t> out = ReadFileBytesAt(path, at, n);
  if (out.size() != n) out.clear();
  return out;
}

std::uint32_t Be32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  static_cast<void>(b.at(at + 3));
  return plat::LoadBe32(b.data() + at);
}

std::string BriefOf(Finding::Kind kind, int recording, int chunk, int copy, int slot, std::int64_t offset) {
  std::string s = KindName(kind);
  if (recording >= 0) s += " r" + std::to_string(recording);
  if (chunk >= 0) s += " c" + std::to_string(chunk);
  if (copy > 0) s += " k" + std::to_string(copy);
  if (slot >= 0) s += " s" + std::to_string(slot);
  if (offset >= 0) s += " @" + std::to_string(offset);
  return s;
}

std::string Brief(const Finding& f) { return BriefOf(f.kind, f.recording, f.chunk, f.copy, f.slot, f.offset); }

std::vector<std::string> Briefs(const CheckReport& report) {
  std::vector<std::string> out;
  for (const Finding& f : report.findings) out.push_back(Brief(f));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace fixtures::testing
