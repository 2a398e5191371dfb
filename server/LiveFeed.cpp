#include "server/LiveFeed.h"

#include "core/Clock.h"
#include "core/Notifications.h"
#include "core/settings/S52Settings.h"

namespace tarnwick {
namespace {

bool Elapsed(std::optional<uint64_t>& last, uint64_t now, uint64_t interval) {
  if (last && now - *last < interval) return false;
  last = now;
  return true;
}

}  // namespace

CLiveFeed::CLiveFeed(std::shared_ptr<CEventHub> hub, LiveSources sources,
                     std::shared_ptr<COwnShipTrack> track)
    : hub_(std::move(hub)), sources_(std::move(sources)), track_(std::move(track)) {
  // Warnings and errors of the start-up (posted before the page could be
  // served: a damaged settings store, the last session's crash) reach every
  // page that opens; other older notes are not repeated.
  for (const Notification& note : Notifications().Since(0)) {
    lastNoteId_ = note.id;
    if (note.kind == NotificationKind::Warning || note.kind == NotificationKind::Error)
      hub_->PostNotification(JsonText(NoteJson(note)));
  }
  hub_->SetColorMode(ColorModeName(opt::S52_ColorMode.Text()));
}

void CLiveFeed::Tick() {
  const uint64_t now = TickCount();
  if (sources_.snapshot) {
    std::shared_ptr<const OwnShipSnapshot> snapshot = sources_.snapshot();
    if (snapshot && snapshot->sequence != lastSequence_) {
      lastSequence_ = snapshot->sequence;
      const SensorMenu menu = sources_.sensors ? sources_.sensors() : SensorMenu{};
      hub_->SetOwnShip(JsonText(OwnShipJson(*snapshot, menu)));
      if (track_ && snapshot->fix.position) track_->Add(*snapshot->fix.position, snapshot->utcMs);
    }
  }
  if (sources_.aisTargets) {
    const std::optional<uint64_t> generation =
        sources_.aisGeneration ? std::optional(sources_.aisGeneration()) : std::nullopt;
    // Ages change every second even when nothing else does.
    if (generation != aisGeneration_ || Elapsed(aisTick_, now, kAisRefreshMs)) {
      aisGeneration_ = generation;
      aisTick_ = now;
      std::map<uint32_t, std::string> table;
      for (const CAisTarget& target : sources_.aisTargets())
        if (!target.ownVessel && target.state != AisTargetState::LostHidden && !target.hidden)
          table[target.mmsi] = JsonText(AisTargetJson(target, now));
      hub_->SetAisTargets(table);
    }
  }
  if (sources_.route) hub_->SetRoute(JsonText(sources_.route()));
  if (sources_.ports && Elapsed(portsTick_, now, kPortsRefreshMs))
    hub_->SetPorts(JsonText(sources_.ports()));
  for (const Notification& note : Notifications().Since(lastNoteId_)) {
    lastNoteId_ = note.id;
    const nlohmann::json json = NoteJson(note);
    hub_->PostNotification(JsonText(json));
    if (note.kind == NotificationKind::Spoken) hub_->Post("speak", JsonText({{"text", note.text}}));
  }
}

void CLiveFeed::SettingChanged(CSetting& setting) {
  if (&setting == &opt::S52_ColorMode) hub_->SetColorMode(ColorModeName(setting.Text()));
  hub_->Post("settings", JsonText({{"name", setting.Name()}, {"value", setting.Text()}}));
}

}  // namespace tarnwick
