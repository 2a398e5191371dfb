#pragma once
// Keeps the program to one running instance per user: an exclusive lock on a
// file in the private runtime folder, plus a local control socket through
// which a second instance asks the first to show its window and the command
// line tools hand the running program their changes. The folder is the
// user's alone (mode 0700, checked); the socket also refuses peers of other
// users.
//
// Protocol: a client connects, sends one line and reads one line back. "show"
// asks for the window (the answer is the page's address); any other line is
// a command for the command handler.

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace tarnwick {

class CInstanceGuard {
 public:
  enum class Outcome {
    Acquired,          // this is the only instance
    AlreadyRunning,    // another instance holds the lock; it was asked to show itself
    OtherUser,         // the lock belongs to another user's account
    Error,             // the runtime folder is not private or the lock file could not be made
  };
  // Answers one command line with one line (without the line feed). Runs on
  // the guard's own thread, one command at a time.
  using CommandHandler = std::function<std::string(const std::string& line)>;

  // folder: where the lock file and control socket live (RuntimeFolder()).
  explicit CInstanceGuard(std::filesystem::path folder);
  ~CInstanceGuard();
  CInstanceGuard(const CInstanceGuard&) = delete;
  CInstanceGuard& operator=(const CInstanceGuard&) = delete;

  // Takes the lock. When it is taken, listens on the control socket and answers
  // each "show" request with onShow()'s text and other lines with onCommand.
  // When another instance holds it, sends "show" and keeps the answer (see Answer()).
  Outcome Acquire(std::function<std::string()> onShow, CommandHandler onCommand = nullptr);
  // The first instance's answer to our "show" request (AlreadyRunning only).
  const std::string& Answer() const { return answer_; }
  // Why the outcome was Error, for the user.
  const std::string& Problem() const { return problem_; }
  // Stops listening and releases the lock.
  void Release();

  // Sends line to the instance listening in folder and returns its answer.
  // Empty when no instance listens there; then problem says why, if the
  // reason is something other than no instance running (a folder that is not
  // private, an instance that did not answer within timeoutMs).
  static std::optional<std::string> Request(const std::filesystem::path& folder,
                                            const std::string& line, int timeoutMs,
                                            std::string& problem);

 private:
  void Serve();

  std::filesystem::path folder_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  std::thread server_;
  std::function<std::string()> onShow_;
  CommandHandler onCommand_;
  std::string answer_;
  std::string problem_;
};

}  // namespace tarnwick
