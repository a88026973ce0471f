// cardinfo SOURCE [--json]: lists the recordings of a card, `.sd` backup or `.idx` index through
// the store code of the player. SOURCE is a `.sd` or `.idx` path, or dvk2://N for drive N. For a
// card it also names a damaged header or index copy (the card is then read from the other one).
// Exit status 0 when it listed the store, 2 for a wrong command line or a source that cannot be
// opened (the message says why).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/store/CardStore.h"
#include "platform/Time.h"

namespace {

std::string DateText(const RecorderDate& d) {
  const std::int64_t t = RecorderDateToLocalTime(d);
  return t == 0 ? std::string() : plat::LocalDateTimeText(t).value_or("");
}

bool EndsWith(std::string s, const char* suffix) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool SetSource(CCardStore& store, const std::string& source) {
  constexpr const char kScheme[] = "dvk2://";
  if (source.rfind(kScheme, 0) == 0) {
    const std::string number = source.substr(sizeof kScheme - 1);
    if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) return false;
    store.SetStoreSource(kSourceRawCard, static_cast<unsigned>(std::stoul(number)), "");
    return true;
  }
  if (EndsWith(source, ".sd")) {
    store.SetStoreSource(kSourceBackupFile, 0, source);
    return true;
  }
  if (EndsWith(source, ".idx")) {
    store.SetStoreSource(kSourceIndexFile, 0, source);
    return true;
  }
  return false;
}

// The header copies of a raw card that were damaged, by number (1 and 2); none for other stores.
std::vector<int> DamagedHeaderCopies(const CCardStore& store) {
  std::vector<int> damaged;
  if (store.StoreType() != kSourceRawCard) return damaged;
  for (int i = 0; i < 2; ++i)
    if (!store.HeaderCopies().valid[i]) damaged.push_back(i + 1);
  return damaged;
}

// The index copies that could not be parsed, by number (1 and 2).
std::vector<int> DamagedIndexCopies(const CCardStore& store) {
  std::vector<int> damaged;
  for (int i = 0; i < 2; ++i)
    if (store.DamagedIndexCopies()[static_cast<std::size_t>(i)]) damaged.push_back(i + 1);
  return damaged;
}

void PrintNumbers(const char* name, const std::vector<int>& numbers) {
  std::printf("\"%s\": [", name);
  for (std::size_t i = 0; i < numbers.size(); ++i) std::printf("%s%d", i ? ", " : "", numbers[i]);
  std::printf("], ");
}

void PrintJson(const CCardStore& store) {
  std::printf("{\"type\": %d, \"capacity\": %u, ", store.StoreType(), store.Capacity());
  if (store.StoreType() == kSourceRawCard) {
    PrintNumbers("damagedHeaderCopies", DamagedHeaderCopies(store));
    PrintNumbers("damagedIndexCopies", DamagedIndexCopies(store));
  }
  std::printf("\"entries\": [");
  bool firstEntry = true;
  for (const IndexEntry* e : store.EntryList()) {
    std::printf("%s\n  {\"sequence\": %u, \"slot\": %u, \"firstChunk\": %u, \"lastChunk\": %u, \"start\": \"%s\", "
                "\"end\": \"%s\", \"eventType\": %u, \"eventCount\": %d, \"events\": [",
                firstEntry ? "" : ",", e->Sequence(), e->slot, e->FirstChunk(), e->LastChunk(),
                DateText(e->StartDate()).c_str(), DateText(e->EndDate()).c_str(), e->EventType(), e->EventCount());
    for (int i = 0; i < e->EventCount(); ++i) {
      const EventRecord r = e->Event(i);
      std::printf("%s{\"chunk\": %u, \"date\": \"%s\", \"code\": %u}", i ? ", " : "", r.chunk,
                  DateText(r.date).c_str(), r.code);
    }
    std::printf("], \"dataOffset\": %llu}", static_cast<unsigned long long>(e->dataOffset));
    firstEntry = false;
  }
  std::printf("\n]}\n");
}

void PrintTable(const CCardStore& store) {
  std::printf("source type %d, capacity %u, %zu recordings\n", store.StoreType(), store.Capacity(),
              store.EntryList().size());
  for (int copy : DamagedHeaderCopies(store))
    std::printf("header copy %d is damaged; the card was read from copy %d\n", copy, 3 - copy);
  for (int copy : DamagedIndexCopies(store))
    std::printf("index copy %d is damaged (a slot without its mark); the recordings were read from copy %d\n", copy,
                3 - copy);
  std::printf("%8s %6s %10s %10s  %-19s  %-19s  %s\n", "sequence", "slot", "first", "last", "start", "end", "event");
  for (const IndexEntry* e : store.EntryList())
    std::printf("%8u %6u %10u %10u  %-19s  %-19s  %u (%d)\n", e->Sequence(), e->slot, e->FirstChunk(), e->LastChunk(),
                DateText(e->StartDate()).c_str(), DateText(e->EndDate()).c_str(), e->EventType(), e->EventCount());
}

const char* const kUsage =
    "usage: cardinfo SOURCE [--json]\n"
    "Lists the recordings of a store: SOURCE is a .sd backup, an .idx index or dvk2://N (physical\n"
    "drive N; PLAYER_DRIVE_N=FILE reads a card image as drive N). --json prints them as JSON.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--json") != 0)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  CCardStore store;
  if (!SetSource(store, argv[1])) {
    std::fprintf(stderr, "cardinfo: %s is not a .sd or .idx file nor dvk2://N\n", argv[1]);
    return 2;
  }
  if (!store.OpenStore()) {
    std::fprintf(stderr, "cardinfo: %s cannot be opened: %s\n", argv[1], StoreOpenFailureText(store.OpenFailure()));
    return 2;
  }
  if (argc == 3) {
    PrintJson(store);
  } else {
    PrintTable(store);
  }
  return 0;
}
