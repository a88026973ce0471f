// Merging the two index copies of a raw card or an `.idx` file, and finding the recording the
// recorder wrote after the newest entry (or over the oldest ordinary one) that the index does not
// hold yet.
#include <algorithm>

#include "engine/store/CardStore.h"

class CCardStore::Merge {
 public:
  Merge(CCardStore& store, const Layout& layout, ParsedCopy& copy)
      : store_(store), layout_(layout), list_(copy.list), slotTypes_(copy.slotTypes) {}

  bool Run();

 private:
  struct Scan {
    int limit = 0;  // the chunks of the block and the one after, as far as they lie in the store
    int good = 0;
    int failed = 0;
    bool endedInOldest = false;
  };

  std::uint32_t FindContinuationSlot() const;
  IndexEntry* FreshEntry(std::uint32_t slot);
  Scan ScanBlock(IndexEntry* s, bool sIsOldestSlot);
  std::optional<IndexBlockA5> PassingTrailer(const std::uint8_t* stored);
  void ContinueEntry(IndexEntry* s, const IndexBlockA5& t, int good);
  void TrimOldest(const IndexBlockA5& t, int chunksBefore);
  bool FinishWithoutNewData();
  void AppendFound(IndexEntry* s, const Scan& scan, bool sIsOldestSlot);

  CCardStore& store_;
  const Layout& layout_;
  std::vector<IndexEntry*>& list_;
  const std::vector<std::uint8_t>& slotTypes_;
  IndexEntry* oldest_ = nullptr;
  IndexEntry* newest_ = nullptr;
  std::optional<std::uint32_t> generation_;
  std::vector<std::uint8_t> chunk_ = std::vector<std::uint8_t>(kChunkSize);
};

bool CCardStore::MergeIndexCopies(ParsedCopy first, ParsedCopy second, const Layout& layout) {
  const auto newestSequence = [](const ParsedCopy& c) { return c.list.empty() ? 0u : c.list.back()->Sequence(); };
  const bool useFirst =
      !first.list.empty() && (second.list.empty() || newestSequence(second) <= newestSequence(first));
  ParsedCopy& chosen = useFirst ? first : second;
  if (!Merge(*this, layout, chosen).Run()) return false;
  entries_ = std::move(chosen.list);
  return true;
}

bool CCardStore::Merge::Run() {
  if (!list_.empty()) {
    const auto ordinary = std::find_if(list_.begin(), list_.end(),
                                       [](const IndexEntry* e) { return e->EventType() == kEventNone; });
    oldest_ = ordinary != list_.end() ? *ordinary : list_.front();
    newest_ = list_.back();
  }
  // A raw card's chunks carry the card's generation; an index file has no header, so its newest
  // entry's generation is the one to follow (or, with no entry, the first good trailer's).
  generation_ = store_.CardGeneration();
  if (!generation_ && newest_) generation_ = newest_->Generation();
  const std::uint32_t slot = FindContinuationSlot();
  const bool sIsOldestSlot = !list_.empty() && slot == oldest_->slot;
  IndexEntry* s = FreshEntry(slot);
  for (;;) {
    const Scan scan = ScanBlock(s, sIsOldestSlot && s != newest_);
    if (scan.good > 0) {
      AppendFound(s, scan, sIsOldestSlot && s != newest_);
      return true;
    }
    if (list_.empty()) return false;
    if (s == newest_ || slot == newest_->slot || newest_->LastChunk() != 0) return FinishWithoutNewData();
    // The newest entry was cut off without an end: look for its chunks in its own block.
    s = newest_;
    newest_->SetEventCount(0);
    newest_->SetCompletedFlag(1);
  }
}

std::uint32_t CCardStore::Merge::FindContinuationSlot() const {
  if (list_.empty()) return 0;
  const std::uint32_t capacity = store_.capacity_;
  std::uint32_t slot = newest_->slot;
  for (std::uint32_t step = 0; step < capacity; ++step) {
    slot = (slot + 1) % capacity;
    if (slot == oldest_->slot || slotTypes_[slot] == kEventNone || slotTypes_[slot] == kEventInvalid) return slot;
  }
  return oldest_->slot;
}

// The fresh entry is built aside and only joins the list when its block holds new chunks, so a
// block without them never leaves a half-made entry behind.
IndexEntry* CCardStore::Merge::FreshEntry(std::uint32_t slot) {
  IndexEntry* s = store_.NewEntry();
  InitIndexBlockFE(s->bytes.data(), newest_ ? newest_->Sequence() + 1 : 1, 0, 1, generation_.value_or(0));
  const std::uint32_t first = newest_ ? newest_->LastChunk() + 1 : 1;
  s->SetFirstChunk(first);
  s->SetLastChunk(first);
  s->slot = slot;
  s->indexPosition = layout_.IndexPosition(slot);
  s->dataOffset = layout_.DataOffset(slot);
  return s;
}

// Without a generation to follow yet, the first good trailer gives it.
std::optional<IndexBlockA5> CCardStore::Merge::PassingTrailer(const std::uint8_t* stored) {
  std::optional<IndexBlockA5> t = ReadIndexBlockA5(stored, generation_);
  if (t && !generation_) generation_ = StoredGeneration(stored);
  return t;
}

CCardStore::Merge::Scan CCardStore::Merge::ScanBlock(IndexEntry* s, bool sIsOldestSlot) {
  Scan scan;
  const bool learnFirst = list_.empty();
  const std::uint64_t base = s->dataOffset;
  scan.limit = static_cast<int>(store_.ChunksInStore(base));
  while (scan.good + scan.failed < scan.limit && scan.failed < 2) {
    const std::uint64_t at = base + static_cast<std::uint64_t>(scan.good + scan.failed) * kChunkSize;
    if (!store_.ReadChunk(at, chunk_.data())) break;
    const std::optional<IndexBlockA5> t = PassingTrailer(&chunk_[kChunkPayloadSize]);
    if (!t) {
      ++scan.failed;
      continue;
    }
    if (sIsOldestSlot && t->Sequence() <= oldest_->LastChunk()) {
      TrimOldest(*t, scan.good + scan.failed);
      scan.endedInOldest = true;
      break;
    }
    if (learnFirst && scan.good == 0) s->SetFirstChunk(t->Sequence());
    if (t->Sequence() == s->FirstChunk() + static_cast<std::uint32_t>(scan.good)) {
      ContinueEntry(s, *t, scan.good);
      ++scan.good;
    } else {
      ++scan.failed;
    }
  }
  return scan;
}

void CCardStore::Merge::ContinueEntry(IndexEntry* s, const IndexBlockA5& t, int good) {
  if (good == 0) {
    s->SetFirstChunk(t.Sequence());
    s->SetStartDate(t.Date());
  }
  s->SetLastChunk(t.Sequence());
  s->SetEndDate(t.Date());
  if (t.ChunkFlag()) s->SetChunkFlag(1);
  if (t.EventCode() == 0) return;
  if (s->EventCount() < kMaxEventRecords) {
    s->SetEvent(s->EventCount(), EventRecord{t.Sequence(), t.Date(), t.EventCode()});
    s->SetEventCount(s->EventCount() + 1);
  }
  if (t.EventFlag() && s->EventType() == kEventNone) s->SetEventType(t.EventCode() == 1 ? kEventCodeOne : kEventOtherCode);
}

// The new recording ran into the oldest one: what is left of it starts at this chunk.
void CCardStore::Merge::TrimOldest(const IndexBlockA5& t, int chunksBefore) {
  oldest_->dataOffset += static_cast<std::uint64_t>(chunksBefore) * kChunkSize;
  oldest_->SetFirstChunk(t.Sequence());
  oldest_->SetStartDate(t.Date());
  for (int i = 0; i < kMaxEventRecords; ++i) {
    EventRecord e = oldest_->Event(i);
    if (e.code == 0) continue;
    if (e.chunk >= t.Sequence()) break;
    oldest_->SetEvent(i, EventRecord{});
  }
}

bool CCardStore::Merge::FinishWithoutNewData() {
  newest_->SetCompletedFlag(1);
  if (newest_->LastChunk() == 0) {
    newest_->SetLastChunk(newest_->FirstChunk());
    newest_->SetEndDate(newest_->StartDate());
  }
  return true;
}

void CCardStore::Merge::AppendFound(IndexEntry* s, const Scan& scan, bool sIsOldestSlot) {
  list_.erase(std::remove_if(list_.begin(), list_.end(),
                             [&](const IndexEntry* e) { return e == s || (e->slot == s->slot && e != oldest_); }),
              list_.end());
  if (generation_) s->SetGeneration(*generation_);
  list_.push_back(s);
  if (list_.size() >= 2 && sIsOldestSlot && scan.good + scan.failed == scan.limit)
    list_.erase(std::remove(list_.begin(), list_.end(), oldest_), list_.end());
}
