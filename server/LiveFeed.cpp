#include "server/LiveFeed.h"

#include <string_view>

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
  if (sources_.aisChanges) ais_ = std::make_unique<CAisFeed>(hub_, sources_.aisChanges);
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

// The AIS thread ends before the sources it reads go away.
CLiveFeed::~CLiveFeed() = default;

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
  // The AIS thread publishes every second by itself; a change of a shown
  // value (an acknowledged warning, a new danger) goes out at once.
  if (ais_ && sources_.aisGeneration) {
    const uint64_t generation = sources_.aisGeneration();
    if (generation != aisGeneration_) {
      aisGeneration_ = generation;
      ais_->Poke();
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
  // Distances and bearings of the targets are texts in the display units.
  if (ais_ && std::string_view(setting.Name()).starts_with("Units_")) ais_->RewriteAll();
  hub_->Post("settings", JsonText({{"name", setting.Name()}, {"value", setting.Text()}}));
}

}  // namespace tarnwick
