#include "navobjects/navigation/NavAnnouncer.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "core/Log.h"
#include "core/Notifications.h"

extern char** environ;

namespace tarnwick {
namespace {

// The freedesktop sound-theme names of the two sounds.
const char* SoundId(NavSound sound) {
  return sound == NavSound::Beep ? "bell" : "alarm-clock-elapsed";
}

class CSystemNavAnnouncer final : public INavAnnouncer {
 public:
  void Speak(const std::string& text) override { Notifications().Speak(text); }

  void ShowMessageBar(const std::string& text) override {
    Notifications().Post(NotificationKind::MessageBar, text);
  }

  void Sound(NavSound sound) override {
    const char* id = SoundId(sound);
    Log("CNavController: sound %s\n", id);
    const std::string option = std::string("--id=") + id;
    const char* argv[] = {"canberra-gtk-play", option.c_str(), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) == 0) {
      // Reap the player without holding up the tick.
      std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
      return;
    }
    if (isatty(STDERR_FILENO)) {
      fputc('\a', stderr);
      fflush(stderr);
    }
  }
};

}  // namespace

std::shared_ptr<INavAnnouncer> MakeSystemNavAnnouncer() {
  return std::make_shared<CSystemNavAnnouncer>();
}

}  // namespace tarnwick
