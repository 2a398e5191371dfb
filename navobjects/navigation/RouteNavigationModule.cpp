#include "navobjects/navigation/RouteNavigationModule.h"

#include "core/Application.h"
#include "instruments/navdata/NavData.h"
#include "instruments/ports/PortList.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/navigation/AutopilotOutput.h"

namespace tarnwick {
namespace {

struct RouteNavigation {
  CNavController controller{MakeSystemNavAnnouncer()};
  CAutopilotOutput output{controller,
                          [](std::string_view sentence) { PortList().WriteToTalkers(sentence); }};
};

RouteNavigation& Navigation() {
  static RouteNavigation navigation;
  return navigation;
}

// Every mark of the open documents (not the deleted ones), for boundary circles.
std::vector<std::shared_ptr<CMark>> DocumentMarks() {
  std::vector<std::shared_ptr<CMark>> marks;
  CNavDocuments* documents = NavDocuments();
  if (documents == nullptr) return marks;
  for (const auto& layer : documents->Layers()) {
    if (layer.get() == &documents->DeletedLayer()) continue;
    for (const auto& object : layer->Objects())
      if (auto mark = std::dynamic_pointer_cast<CMark>(object)) marks.push_back(std::move(mark));
  }
  return marks;
}

std::shared_ptr<CNavObject> Owned(CSelectable& object) {
  return std::dynamic_pointer_cast<CNavObject>(object.weak_from_this().lock());
}

}  // namespace

CNavController& RouteNavigator() {
  return Navigation().controller;
}

std::shared_ptr<CNavObject> FindDocumentObject(const std::string& id) {
  CNavDocuments* documents = NavDocuments();
  return documents != nullptr ? documents->FindObject(id) : nullptr;
}

std::shared_ptr<CNavObject> FindNavigableObject(const std::string& id) {
  CNavDocuments* documents = NavDocuments();
  if (documents == nullptr) return nullptr;
  auto object = documents->FindObject(id);
  if (object && documents->LayerOf(*object) == &documents->DeletedLayer()) return nullptr;
  return object;
}

OwnShipInput OwnShipFromSnapshot(const OwnShipSnapshot& snapshot) {
  OwnShipInput in;
  in.position = snapshot.fix.position;
  in.fixValid = snapshot.fix.position.has_value();
  if (snapshot.cog) in.cogDegrees = snapshot.cog->value;
  if (snapshot.sog) in.sogKnots = snapshot.sog->value;
  if (snapshot.depth) in.depthMetres = snapshot.depth->value;
  in.utcMs = snapshot.utcMs;
  return in;
}

void RegisterRouteNavigation(CApplication& app) {
  app.OnStartupStage("Init NavObj", [] {
    CNavController& controller = Navigation().controller;
    controller.SetMarkSource(&DocumentMarks);
    if (CNavDocuments* documents = NavDocuments()) {
      documents->Hooks().activate = [&controller](CSelectable& object) {
        auto owned = Owned(object);
        return owned && controller.Activate(owned) == ActivateResult::Activated;
      };
      documents->Hooks().deactivate = [&controller](CSelectable& object) {
        auto* navObject = dynamic_cast<CNavObject*>(&object);
        return navObject != nullptr && controller.Deactivate(*navObject);
      };
    }
    return true;
  });
  app.OnTick(TickStage::UpdateNavObjects, [] {
    if (CNavData* store = NavData()) {
      if (auto snapshot = store->Snapshot())
        Navigation().controller.Update(OwnShipFromSnapshot(*snapshot));
    }
  });
  app.OnTick(TickStage::Autopilot_Update, [] { Navigation().output.Update(); });
  app.OnShutdownStage("Exit_NavObjects", [] {
    Navigation().controller.Stop();
    Navigation().output.Update();
    Navigation().controller.SetMarkSource(nullptr);
  });
}

}  // namespace tarnwick
