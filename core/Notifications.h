#pragma once
// What the program tells the navigator: message-box and message-bar texts go
// into the notification queue that the user interface shows; spoken texts go to
// the voice sink as well.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tarnwick {

enum class NotificationKind { Message, Warning, Error, MessageBar, Spoken };

struct Notification {
  uint64_t id = 0;          // increasing, never reused within a run
  int64_t utcMs = 0;        // when it was posted
  NotificationKind kind = NotificationKind::Message;
  std::string text;         // "$AppTitle" already replaced
};

// Speaks texts aloud; the default sink runs espeak-ng when it is installed.
class IVoiceSink {
 public:
  virtual ~IVoiceSink() = default;
  virtual void Speak(const std::string& text) = 0;
};

class CNotificationQueue {
 public:
  // Posts text (with "$AppTitle" replaced); returns its id.
  uint64_t Post(NotificationKind kind, std::string text);
  // Posts a spoken text and hands it to the voice sink.
  uint64_t Speak(std::string text);
  // Notifications with an id greater than afterId, oldest first (the newest 200 are kept).
  std::vector<Notification> Since(uint64_t afterId) const;
  // Called for each posted notification (the user interface's push stream).
  void Subscribe(std::function<void(const Notification&)> listener);
  void SetVoiceSink(std::shared_ptr<IVoiceSink> sink);

 private:
  mutable std::mutex mutex_;
  std::deque<Notification> recent_;
  uint64_t nextId_ = 1;
  std::vector<std::function<void(const Notification&)>> listeners_;
  std::shared_ptr<IVoiceSink> voice_;
};

CNotificationQueue& Notifications();

// Replaces "$AppTitle" with the program's title and "$1", "$2"... with args.
std::string ExpandMessage(std::string text, const std::vector<std::string>& args = {});

// The voice sink that speaks through espeak-ng in a child process when the
// program is on the PATH, and otherwise only logs "Speak: %s".
std::shared_ptr<IVoiceSink> MakeSystemVoiceSink();

}  // namespace tarnwick
