// The entry objects that a store hands out. Windows keep entry pointers across reopenings of a
// store (the recordings listed, the entry playing), so no object is ever freed while the store
// lives. To keep the memory of many reopenings bounded, an entry that a reopening finds unchanged
// (same store, same place, same 512 bytes) gets its object of before back; only a new or changed
// entry takes a new object. Reopening an unchanged store therefore allocates no entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>

#include "engine/store/CardStore.h"

class CEntryPool {
 public:
  // The object for an entry of the opening `openSerial` of the store named `storeKey`: an earlier
  // object with the same content when there is one not yet taken by this opening, else a new one.
  // The object's openSerial becomes `openSerial`.
  IndexEntry* Keep(const std::string& storeKey, const IndexEntry& entry, std::uint64_t openSerial);
  // How many entry objects exist.
  std::size_t Size() const;

 private:
  struct StoreObjects {
    std::deque<IndexEntry> objects;  // a deque never moves what it holds
    std::unordered_multimap<std::size_t, IndexEntry*> byContent;
  };

  static std::size_t ContentHash(const IndexEntry& entry);
  static bool SameContent(const IndexEntry& a, const IndexEntry& b);

  std::map<std::string, StoreObjects> stores_;
};
