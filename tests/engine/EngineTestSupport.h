// Helpers of the engine tests: the engine made and destroyed as the main window does it, with a
// consumer thread on its channel's queues in place of the video and audio threads.
#pragma once

#include <memory>
#include <string>

#include "engine/IbpCtrl.h"
#include "tests/engine/SourceTestSupport.h"

namespace enginetest {

struct EngineDeleter {
  void operator()(CIbpCtrl* engine) const { engine->Destroy(); }
};
using EnginePtr = std::unique_ptr<CIbpCtrl, EngineDeleter>;

inline EnginePtr MakeEngine() { return EnginePtr(CreateIbpCtrl()); }

// A consumer of the engine's channel 0 that takes the markers' sensor blocks through the engine,
// as the video thread does. The pipeline must exist.
inline std::unique_ptr<sourcetest::TestConsumer> ConsumerOf(CIbpCtrl& engine) {
  return std::make_unique<sourcetest::TestConsumer>(
      *engine.VideoQueue(0), engine.AudioQueue(0),
      [&engine](const QueueItem& marker, BYTE* out) { return engine.TakeMarker(0, marker, out); });
}

// An engine on a source, its pipeline made and a consumer on its queues that starts with the
// play. The consumer goes before the engine.
struct PlayRig {
  explicit PlayRig(const std::string& path)
      : engine(MakeEngine()), sourceType(engine->SetSource(CString(path))), ready(engine->CreatePipeline()),
        consumer(ready ? ConsumerOf(*engine) : nullptr) {}
  EngineStart Play() {
    consumer->Start();
    return engine->Play(nullptr, 0);
  }

  EnginePtr engine;
  int sourceType;
  bool ready;
  std::unique_ptr<sourcetest::TestConsumer> consumer;
};

}  // namespace enginetest
