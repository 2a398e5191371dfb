#pragma once
// The name of what each thread is doing ("UpdateAIS", "Init Ports"), so that a
// crash report or a watchdog can say where a thread was.

namespace tarnwick {

// The calling thread's current stage name ("" when none). The text must be a
// string literal or otherwise outlive the stage.
const char* CurrentStage();

// Sets the calling thread's stage for the scope's lifetime and restores the
// previous name on exit.
class CStageScope {
 public:
  explicit CStageScope(const char* name);
  ~CStageScope();
  CStageScope(const CStageScope&) = delete;
  CStageScope& operator=(const CStageScope&) = delete;

 private:
  const char* previous_;
};

}  // namespace tarnwick
