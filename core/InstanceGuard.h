#pragma once
// Keeps the program to one running instance per user: an exclusive lock on a
// file in the runtime folder, plus a local control socket through which a
// second instance asks the first to show its window, and subcommands send
// their requests to the running program (ControlRequests.h).

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace tarnwick {

class CInstanceGuard {
 public:
  enum class Outcome {
    Acquired,          // this is the only instance
    AlreadyRunning,    // another instance holds the lock; it was asked to show itself
    OtherUser,         // the lock belongs to another user's account
    Error,             // the runtime folder or lock file could not be made
  };

  // folder: where the lock file and control socket live (RuntimeFolder()).
  explicit CInstanceGuard(std::filesystem::path folder);
  ~CInstanceGuard();
  CInstanceGuard(const CInstanceGuard&) = delete;
  CInstanceGuard& operator=(const CInstanceGuard&) = delete;

  // Takes the lock. When it is taken, listens on the control socket, answers
  // each "show" request with onShow()'s text and any other line as a control
  // request. When another instance holds it, sends "show" and keeps the
  // answer (see Answer()).
  Outcome Acquire(std::function<std::string()> onShow);
  // The first instance's answer to our "show" request (AlreadyRunning only).
  const std::string& Answer() const { return answer_; }
  // Stops listening and releases the lock.
  void Release();

 private:
  void Serve();

  std::filesystem::path folder_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  std::thread server_;
  std::function<std::string()> onShow_;
  std::string answer_;
};

}  // namespace tarnwick
