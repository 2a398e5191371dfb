#include "app/EquipmentMessages.h"

#include <string>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/JobQueue.h"
#include "core/Notifications.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavtexMessages.h"
#include "instruments/nmea/NmeaPortContext.h"
#include "instruments/nmea/NmeaRecords.h"
#include "instruments/nmea/NmeaRouted.h"
#include "recording/logbook/LogBook.h"
#include "recording/logbook/TrackRecorder.h"

namespace tarnwick {
namespace {

// Port threads call in; the logbook and notifications are written on the
// user-interface thread.
class CEquipmentMessages final : public INmeaRoutedSentences {
 public:
  void OnAlarmRaised(INmeaPortContext* port, const ReceivedAlarm& alarm) override {
    std::string source = port ? port->PortName() : std::string("NMEA");
    std::string text = alarm.description.empty() ? alarm.key : alarm.description;
    UiJobs().Post([source = std::move(source), text = std::move(text)] {
      LogSensorAlarm(LogBook(), source, text);
      Notifications().Post(NotificationKind::Warning,
                           "#Alarm from " + source + ": " + text + " [[/alarms|Alarms]]");
    });
  }

  void OnNavtexMessage(INmeaPortContext* port, std::string_view code,
                       std::string_view text) override {
    std::string source = port ? port->PortName() : std::string("NMEA");
    NavtexMessages().Add(source, std::string(code), std::string(text), UtcNowMs());
    const NavtexCode parts = ParseNavtexCode(std::string(code));
    std::string title = "NAVTEX " + std::string(code);
    if (*parts.subjectText) title += " (" + std::string(parts.subjectText) + ")";
    UiJobs().Post([source = std::move(source), title, text = std::string(text)] {
      LogSensorMessage(LogBook(), source, title + "\n" + text);
      Notifications().Post(NotificationKind::MessageBar,
                           "#" + title + " from " + source + " [[/navtex|NAVTEX]]");
    });
  }
};
CEquipmentMessages g_equipmentMessages;

}  // namespace

void RegisterEquipmentMessages(CApplication& app) {
  app.OnStartupStage("Loading instruments", [] {
    NmeaDecoderHooks hooks = GetNmeaDecoderHooks();
    hooks.routed = &g_equipmentMessages;
    SetNmeaDecoderHooks(hooks);
    return true;
  });
  app.OnShutdownStage("Exit_Ports", [] {
    NmeaDecoderHooks hooks = GetNmeaDecoderHooks();
    if (hooks.routed == &g_equipmentMessages) hooks.routed = nullptr;
    SetNmeaDecoderHooks(hooks);
  });
}

}  // namespace tarnwick
