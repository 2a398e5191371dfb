#include "navobjects/NavObjectsModule.h"

#include <memory>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "navobjects/tracking/BoundaryAlarms.h"
#include "navobjects/tracking/TrackRecorder.h"

namespace tarnwick {
namespace {

struct NavObjectsState {
  std::unique_ptr<CNavDocuments> documents;
  std::unique_ptr<CTrackRecorder> recorder;
  CBoundaryAlarms alarms;
};

std::unique_ptr<NavObjectsState>& State() {
  static std::unique_ptr<NavObjectsState> state;
  return state;
}

std::function<std::optional<OwnShipInput>()>& OwnShipProvider() {
  static std::function<std::optional<OwnShipInput>()> provider;
  return provider;
}

}  // namespace

CNavDocuments* NavDocuments() {
  return State() ? State()->documents.get() : nullptr;
}

void SetOwnShipProvider(std::function<std::optional<OwnShipInput>()> provider) {
  OwnShipProvider() = std::move(provider);
}

bool InitNavObjects(const std::filesystem::path& folder) {
  auto state = std::make_unique<NavObjectsState>();
  state->documents =
      std::make_unique<CNavDocuments>(folder.empty() ? DataFolder() / "NavObjects" : folder);
  CNavDocuments& documents = *state->documents;
  documents.OpenFolder();
  state->recorder = std::make_unique<CTrackRecorder>(
      [&documents] {
        auto track = std::make_shared<CTrack>();
        documents.AddObject(track, &documents.DocumentLayer(kAutoSaveDocumentName));
        return track;
      },
      [&documents](CTrack& track) { documents.Touch(track); });
  CTrackRecorder& recorder = *state->recorder;
  documents.Hooks().startNewTrack = [&recorder](CTrack& track) {
    return recorder.StartNewTrack(track);
  };
  State() = std::move(state);
  return true;
}

bool ProcessStartupDocuments(const std::vector<std::string>& commandLine) {
  CNavDocuments* documents = NavDocuments();
  if (documents == nullptr) return false;
  for (const std::string& argument : commandLine) {
    const std::filesystem::path file(argument);
    if (file.extension() != ".nob") continue;
    bool open = false;
    for (const auto& layer : documents->Layers()) open = open || layer->File() == file;
    if (!open) documents->OpenLayer(file);
  }
  documents->DefaultLayer();
  return true;
}

void UpdateNavObjects(uint64_t tickMs) {
  NavObjectsState* state = State().get();
  if (state == nullptr) return;
  if (const auto& provider = OwnShipProvider()) {
    if (auto ship = provider()) {
      // The live track holds the present only: a playback ends it, and the
      // next live fix after the playback starts a new one.
      if (ship->played)
        state->recorder->EndTrack();
      else
        state->recorder->Update(*ship, tickMs);
      // Deleted objects wait in their layer for Restore; they watch nothing.
      std::vector<std::shared_ptr<CNavObject>> watched;
      for (const auto& layer : state->documents->Layers())
        if (layer.get() != &state->documents->DeletedLayer())
          watched.insert(watched.end(), layer->Objects().begin(), layer->Objects().end());
      state->alarms.Update(*ship, watched);
    }
  }
  state->documents->AutoSaveTick(tickMs);
}

void ExitNavObjects() {
  if (!State()) return;
  const int failed = State()->documents->SaveModified();
  if (failed > 0) Log("Exit_NavObjects: %d documents could not be saved\n", failed);
  State().reset();
}

void RegisterNavObjects(CApplication& app, std::vector<std::string> commandLine) {
  app.OnStartupStage("Init NavObj", [] { return InitNavObjects(); });
  app.OnStartupStage("Process startup docs", [commandLine = std::move(commandLine)] {
    return ProcessStartupDocuments(commandLine);
  });
  app.OnTick(TickStage::UpdateNavObjects, [] { UpdateNavObjects(TickCount()); });
  app.OnShutdownStage("Exit_NavObjects", [] { ExitNavObjects(); });
}

}  // namespace tarnwick
