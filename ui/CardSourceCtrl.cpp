#include "ui/CardSourceCtrl.h"

void CardSourceCtrl::AppendRecordSpan(const RecordSpanEntry& span, const RecordRowTexts& row) {
  spans_.AppendSpan(span);
  view_.OnRecordSpanAppended(spans_.SpanCount() - 1, row);
}

void CardSourceCtrl::ClearRecordSpans() {
  spans_.ClearSpans();
  view_.OnRecordSpansCleared();
}

app::DisplayZone CardSourceCtrl::GetDisplayZone() const {
  return app::DisplayZone::ForOffset(static_cast<std::int32_t>(timeZoneOffset_));
}
