// Saves a device context's state and puts it back on every way out of a scope.
#pragma once

#include "platform/gdi/Dc.h"

class SavedDcState {
 public:
  explicit SavedDcState(CDC* dc) : dc_(dc), saved_(dc->SaveDC()) {}
  ~SavedDcState() { dc_->RestoreDC(saved_); }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  CDC* dc_;
  int saved_;
};
