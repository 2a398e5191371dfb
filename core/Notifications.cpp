#include "core/Notifications.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Paths.h"

extern char** environ;

namespace tarnwick {
namespace {

constexpr size_t kRecentKept = 200;

std::string FindOnPath(const char* program) {
  const char* path = getenv("PATH");
  if (!path) return {};
  std::string_view rest(path);
  while (!rest.empty()) {
    size_t colon = rest.find(':');
    std::filesystem::path candidate = std::filesystem::path(rest.substr(0, colon)) / program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

class CEspeakVoiceSink final : public IVoiceSink {
 public:
  explicit CEspeakVoiceSink(std::string program) : program_(std::move(program)) {}
  void Speak(const std::string& text) override {
    Log("Speak: %s\n", text.c_str());
    const char* argv[] = {program_.c_str(), "--", text.c_str(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, program_.c_str(), nullptr, nullptr, const_cast<char**>(argv),
                    environ) != 0)
      return;
    // Reap the child without holding up the caller.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  }

 private:
  std::string program_;
};

class CLogVoiceSink final : public IVoiceSink {
 public:
  void Speak(const std::string& text) override { Log("Speak: %s\n", text.c_str()); }
};

}  // namespace

std::string ExpandMessage(std::string text, const std::vector<std::string>& args) {
  static constexpr std::string_view kTitle = "$AppTitle";
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '$' && std::string_view(text).substr(i, kTitle.size()) == kTitle) {
      out += kAppTitle;
      i += kTitle.size() - 1;
      continue;
    }
    if (text[i] == '$' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      size_t end = i + 1, number = 0;
      while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        number = number * 10 + static_cast<size_t>(text[end++] - '0');
      if (number >= 1 && number <= args.size()) {
        out += args[number - 1];
        i = end - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

uint64_t CNotificationQueue::Post(NotificationKind kind, std::string text) {
  Notification note;
  std::vector<std::function<void(const Notification&)>> listeners;
  {
    std::lock_guard lock(mutex_);
    note.id = nextId_++;
    note.utcMs = UtcNowMs();
    note.kind = kind;
    note.text = ExpandMessage(std::move(text));
    recent_.push_back(note);
    if (recent_.size() > kRecentKept) recent_.pop_front();
    listeners = listeners_;
  }
  for (auto& listener : listeners) listener(note);
  return note.id;
}

uint64_t CNotificationQueue::Speak(std::string text) {
  std::shared_ptr<IVoiceSink> voice;
  {
    std::lock_guard lock(mutex_);
    voice = voice_;
  }
  uint64_t id = Post(NotificationKind::Spoken, text);
  if (voice) voice->Speak(ExpandMessage(std::move(text)));
  return id;
}

std::vector<Notification> CNotificationQueue::Since(uint64_t afterId) const {
  std::lock_guard lock(mutex_);
  std::vector<Notification> out;
  for (const auto& note : recent_)
    if (note.id > afterId) out.push_back(note);
  return out;
}

void CNotificationQueue::Subscribe(std::function<void(const Notification&)> listener) {
  std::lock_guard lock(mutex_);
  listeners_.push_back(std::move(listener));
}

void CNotificationQueue::SetVoiceSink(std::shared_ptr<IVoiceSink> sink) {
  std::lock_guard lock(mutex_);
  voice_ = std::move(sink);
}

CNotificationQueue& Notifications() {
  static CNotificationQueue queue;
  return queue;
}

std::shared_ptr<IVoiceSink> MakeSystemVoiceSink() {
  std::string espeak = FindOnPath("espeak-ng");
  if (!espeak.empty()) return std::make_shared<CEspeakVoiceSink>(espeak);
  return std::make_shared<CLogVoiceSink>();
}

}  // namespace tarnwick
