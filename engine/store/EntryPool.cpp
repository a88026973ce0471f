#include "engine/store/EntryPool.h"

#include <string_view>

IndexEntry* CEntryPool::Keep(const std::string& storeKey, const IndexEntry& entry, std::uint64_t openSerial) {
  StoreObjects& store = stores_[storeKey];
  const std::size_t hash = ContentHash(entry);
  const auto [from, to] = store.byContent.equal_range(hash);
  for (auto it = from; it != to; ++it) {
    IndexEntry* kept = it->second;
    if (kept->openSerial != openSerial && SameContent(*kept, entry)) {
      kept->openSerial = openSerial;
      return kept;
    }
  }
  IndexEntry& added = store.objects.emplace_back(entry);
  added.openSerial = openSerial;
  store.byContent.emplace(hash, &added);
  return &added;
}

std::size_t CEntryPool::Size() const {
  std::size_t n = 0;
  for (const auto& [key, store] : stores_) n += store.objects.size();
  return n;
}

std::size_t CEntryPool::ContentHash(const IndexEntry& entry) {
  const std::string_view bytes(reinterpret_cast<const char*>(entry.bytes.data()), entry.bytes.size());
  std::size_t h = std::hash<std::string_view>()(bytes);
  for (const std::uint64_t v : {std::uint64_t{entry.slot}, entry.indexPosition, entry.dataOffset})
    h = h * 1099511628211u ^ std::hash<std::uint64_t>()(v);
  return h;
}

bool CEntryPool::SameContent(const IndexEntry& a, const IndexEntry& b) {
  return a.bytes == b.bytes && a.slot == b.slot && a.indexPosition == b.indexPosition && a.dataOffset == b.dataOffset;
}
