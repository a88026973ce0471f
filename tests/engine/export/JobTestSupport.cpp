#include "tests/engine/export/JobTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/export/RecordCtx.h"
#include "tests/engine/stream/QueueTestSupport.h"

namespace jobtest {

JobRouter::JobRouter(CIbpCtrl& engine) : engine_(engine), previous_(plat::SetMessageRouter(this)) {}

JobRouter::~JobRouter() { plat::SetMessageRouter(previous_); }

bool JobRouter::Post(HWND, UINT msg, WPARAM, LPARAM lParam) {
  HoldTest hold;
  {
    std::lock_guard lock(mutex_);
    posted_.emplace_back(msg, lParam);
    if (msg == WM_PLAYER_SENSORDATA) progress_.push_back(engine_.GetJobProgress());
    if (msg == WM_PLAYER_EXPORTDONE) finished_.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
    if (msg == WM_PLAYER_SENSORDATA && !held_ && hold_ && hold_(engine_.GetJobProgress(), engine_.GetProgressRatio())) {
      hold.swap(hold_);
    }
  }
  if (hold) {
    heldRatio_ = engine_.GetProgressRatio();
    held_ = true;
    while (engine_.State().open.load()) Sleep(1);
  }
  return true;
}

LRESULT JobRouter::Send(HWND, UINT, WPARAM, LPARAM) {
  ++sends_;
  return 0;
}

void JobRouter::HoldWhen(HoldTest hold) {
  std::lock_guard lock(mutex_);
  hold_ = std::move(hold);
}

bool JobRouter::WaitUntilHeld() const { return Eventually([&] { return held_.load(); }); }

bool JobRouter::WaitForEnd(std::size_t count) const {
  return Eventually([&] { return Count(WM_PLAYER_END) >= count; });
}

std::size_t JobRouter::Count(UINT msg) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& [m, l] : posted_) n += m == msg;
  return n;
}

std::vector<LPARAM> JobRouter::EndParams() const {
  std::lock_guard lock(mutex_);
  std::vector<LPARAM> out;
  for (const auto& [m, l] : posted_) {
    if (m == WM_PLAYER_END) out.push_back(l);
  }
  return out;
}

std::vector<int> JobRouter::Progress() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

std::vector<std::wstring> JobRouter::FinishedAvis() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

namespace {

std::string SourceOf(const fixtures::Layout& layout) {
  return layout.kind == fixtures::StoreKind::kCard ? "dvk2://" + std::to_string(kJobDrive) : layout.path;
}

}  // namespace

JobRig::JobRig(const fixtures::Layout& layout) : JobRig(SourceOf(layout), layout.path) {
  EXPECT_NE(engine->OpenStore(), nullptr);
}

JobRig::JobRig(const std::string& source) : JobRig(source, source) {}

JobRig::JobRig(const std::string& source, const std::string& drivePath)
    : drive(("PLAYER_DRIVE_" + std::to_string(kJobDrive)).c_str(), drivePath.c_str()),
      engine(enginetest::MakeEngine()),
      router(*engine) {
  engine->SetNotifyWindow(reinterpret_cast<HWND>(0x1205), 0);
  engine->SetSource(CString(source));
}

IndexEntry* JobRig::Entry(int position) {
  IndexEntry* e = engine->OpenStore();
  for (int i = 0; e && i < position; ++i) e = engine->GetNextEntry(e);
  return e;
}

void JobRig::Finish() {
  ++jobs;
  ASSERT_TRUE(router.WaitForEnd(jobs));
  engine->Close();
  EXPECT_EQ(router.EndParams(), std::vector<LPARAM>(jobs, -1));
}

std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace jobtest
