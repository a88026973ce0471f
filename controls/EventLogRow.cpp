#include "controls/EventLogRow.h"

#include <algorithm>
#include <cstring>

namespace {

bool StartsWith(std::string_view text, char c) { return !text.empty() && text.front() == c; }

bool CharacterIs(std::string_view text, size_t index, char c) { return index < text.size() && text[index] == c; }

}  // namespace

void EventLogRow::Reset() {
  taxi = 0;
  kind = 0;
  flags[0] = 1;
  std::fill(flags + 1, flags + kEventFlagCount, 0);
}

int EventLogRow::GetFlag(int index) const { return index >= 0 && index < kEventFlagCount ? flags[index] : flags[0]; }

void EventLogRow::SetPosition(std::string_view text) {
  const size_t n = std::min(text.size(), static_cast<size_t>(kEventPositionSize - 1));
  std::memcpy(position, text.data(), n);
  std::fill(position + n, position + kEventPositionSize, '\0');
}

void EventLogRow::SetEventFlags(const EventLogTriggers& t) {
  flags[1] = StartsWith(t.gSensorTrigger, '1');
  flags[2] = CharacterIs(t.event, 1, '1');
  flags[3] = CharacterIs(t.event, 2, '1');
  flags[4] = CharacterIs(t.event, 0, '1');
  flags[5] = StartsWith(t.overspeedTrigger, '1');
  flags[6] = 0;
  flags[7] = StartsWith(t.idleTrigger, '1');
  flags[8] = StartsWith(t.otherExternal, '1');
  flags[9] = StartsWith(t.mobileLdws, '1');
  flags[10] = t.headwayWarning;
  flags[11] = StartsWith(t.mobileFcw, '1');
  flags[12] = StartsWith(t.mobileFcw, '2');
  flags[0] = std::none_of(flags + 1, flags + kEventFlagCount, [](std::int32_t f) { return f != 0; });
}

COLORREF GetEventColor(int flagIndex) {
  static constexpr COLORREF kColors[kEventFlagCount] = {0x000000, 0x923F9C, 0xAC6133, 0xDFC053, 0x24BF82,
                                                        0x2CF0F0, 0x2CF0F0, 0x1B80ED, 0x191EE6, 0x00EDFD,
                                                        0x35C095, 0x4A9700, 0x9D9E00};
  if (flagIndex == -1) return 0xAAAAAA;
  return flagIndex >= 0 && flagIndex < kEventFlagCount ? kColors[flagIndex] : 0;
}
