#pragma once
// Where the route navigator's announcements go: spoken texts, message-bar
// texts and the two sounds (the default beep and the alarm tone). The system
// announcer hands texts to the notification queue and its voice sink; tests
// and the route-following tool collect them instead.

#include <memory>
#include <string>

namespace tarnwick {

enum class NavSound {
  Beep,   // the default system beep ("nothing to go back to")
  Alarm,  // the alarm tone (boundary circles)
};

class INavAnnouncer {
 public:
  virtual ~INavAnnouncer() = default;
  virtual void Speak(const std::string& text) = 0;
  virtual void ShowMessageBar(const std::string& text) = 0;
  virtual void Sound(NavSound sound) = 0;
};

// Speaks through Notifications().Speak, shows through the message bar and
// plays sounds with canberra-gtk-play when it is on the PATH, else rings the
// terminal bell when standard error is a terminal; every sound is logged.
std::shared_ptr<INavAnnouncer> MakeSystemNavAnnouncer();

}  // namespace tarnwick
