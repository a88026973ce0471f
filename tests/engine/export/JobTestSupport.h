// Helpers of the job tests: an engine on a fixture store, and a message router that keeps what a
// job posts, the progress the engine reports at each progress message, and can hold the source
// thread at a chosen progress message until the engine is closed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IbpCtrl.h"
#include "platform/Message.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/ScopedEnvironment.h"

namespace jobtest {

// The drive number that card images are mapped to in these tests.
constexpr unsigned kJobDrive = 44;

class JobRouter : public plat::IMessageRouter {
 public:
  // Progress messages after which the posting thread waits until the engine's open flag is down.
  using HoldTest = std::function<bool(int progress, double ratio)>;

  explicit JobRouter(CIbpCtrl& engine);
  ~JobRouter() override;
  bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT Send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool Show(HWND, int) override { return true; }

  void HoldWhen(HoldTest hold);
  // Waits until the source thread is held; false after a generous bound.
  bool WaitUntilHeld() const;
  double RatioWhenHeld() const { return heldRatio_.load(); }
  // Waits until `count` end messages came; false after a generous bound.
  bool WaitForEnd(std::size_t count = 1) const;

  std::size_t Count(UINT msg) const;
  std::vector<LPARAM> EndParams() const;
  // The job progress the engine reported when each progress message was posted.
  std::vector<int> Progress() const;
  // The base names of the AVI files finished.
  std::vector<std::wstring> FinishedAvis() const;
  std::size_t Sends() const { return sends_.load(); }

 private:
  CIbpCtrl& engine_;
  plat::IMessageRouter* previous_;
  mutable std::mutex mutex_;
  std::vector<std::pair<UINT, LPARAM>> posted_;
  std::vector<int> progress_;
  std::vector<std::wstring> finished_;
  HoldTest hold_;
  std::atomic<bool> held_{false};
  std::atomic<double> heldRatio_{0.0};
  std::atomic<std::size_t> sends_{0};
};

// An engine on a fixture store (a card image becomes drive kJobDrive) with its store open.
struct JobRig {
  explicit JobRig(const fixtures::Layout& layout);
  // An engine on a source that is no store, such as a transport stream.
  explicit JobRig(const std::string& source);
  // A job still running ends before the router goes.
  ~JobRig() { engine->Close(); }
  // The entry at a position of the store's list, from 0.
  IndexEntry* Entry(int position);
  // The job ended with its one end message (lParam -1); the engine is then closed.
  void Finish();

  ScopedEnvironment drive;
  IbpCtrlPtr engine;
  JobRouter router;
  std::size_t jobs = 0;  // finished

 private:
  JobRig(const std::string& source, const std::string& drivePath);
};

// The names of the files in a folder, sorted: what a job left there.
std::vector<std::string> NamesIn(const std::string& dir);

}  // namespace jobtest
