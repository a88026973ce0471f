// TransportCtrl: the one owner of what the transport controls show and the engine plays by: the
// speed level (from the one speed table), the pause, the last frame step's direction and the
// volume level. The main window's commands and the panels' buttons change it; every control that
// shows a speed or a volume observes it, so that each one follows a change made anywhere.
//
// It works on the UI thread and knows no window: a missing engine plays nothing, and the state
// and the observers still follow.
#pragma once

#include <cstdint>
#include <vector>

class IIbpCtrl;

// What a control that shows the transport state is told. Each change is told once, after the
// engine has it.
class ITransportObserver {
 public:
  virtual ~ITransportObserver() = default;
  // The level 0..8, or kNoLevel for backward play, and the speed the engine plays at.
  virtual void OnSpeedChanged(int /*level*/, double /*speed*/) {}
  // The volume level 0..27.
  virtual void OnVolumeChanged(int /*level*/) {}
  virtual void OnPauseChanged(bool /*paused*/) {}
};

class TransportCtrl {
 public:
  static constexpr int kSpeedLevels = 9;
  static constexpr int kNormalSpeedLevel = 4;
  static constexpr int kNoLevel = -1;
  static constexpr int kLoudestVolume = 27;
  static constexpr double kPlaySpeed = 1.0;
  static constexpr double kBackwardSpeed = -1.0;
  static constexpr double kStepForward = 1.1;
  static constexpr double kStepBack = -1.1;

  // The speed of a level 0..8: 1/16, 1/8, 1/4, 1/2, 1, 2, 4, 8, 16 (clamped).
  static double SpeedOfLevel(int level);
  // The level of a speed of the table; kNoLevel for any other.
  static int LevelOfSpeed(double speed);
  // The attenuation of a volume level 0..27 in hundredths of a decibel: 0 for 27, -4320 for 0.
  static std::int32_t LevelAttenuation(int level);

  void SetEngine(IIbpCtrl* engine) { engine_ = engine; }
  // An observer is told every change until it is removed; it must be removed before it goes.
  void AddObserver(ITransportObserver* observer);
  void RemoveObserver(ITransportObserver* observer);

  // Level 0..8 (clamped) to the engine; returns it.
  int SetSpeedLevel(int level);
  // One level up or down from the last level set, also after backward play.
  int StepSpeedLevel(int delta);
  // Backward play at normal speed, unpaused; the level is none.
  void PlayBackward();
  // One picture in the speed's direction (kStepForward or kStepBack), after which the engine
  // pauses again.
  void StepFrame(double speed);
  // Resuming plays at normal speed.
  void TogglePause();
  // Unpauses the engine if paused, without a speed change (Stop and the end of the data).
  void ClearPause();
  // Level 0..27 (clamped) to the engine's channel 0.
  void SetVolumeLevel(int level);

  int GetSpeedLevel() const { return level_; }
  // The last level 0..8 set; kept through backward play.
  int GetLastLevel() const { return lastLevel_; }
  double GetSpeed() const { return speed_; }
  // The speed of the last frame step (kStepForward before any).
  double GetLastStep() const { return lastStep_; }
  bool IsPaused() const { return paused_; }
  int GetVolumeLevel() const { return volume_; }

 private:
  void SetPaused(bool paused);
  void TellSpeed() const;

  IIbpCtrl* engine_ = nullptr;
  std::vector<ITransportObserver*> observers_;
  int level_ = kNormalSpeedLevel;
  int lastLevel_ = kNormalSpeedLevel;
  double speed_ = kPlaySpeed;
  double lastStep_ = kStepForward;
  bool paused_ = false;
  int volume_ = kLoudestVolume;
};
