#include "server/NavObjectsApi.h"

#include "core/Clock.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/files/ObjectJson.h"
#include "navobjects/model/Layer.h"
#include "navobjects/model/Mark.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/UnknownElement.h"
#include "navobjects/navigation/RouteNavigationModule.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

std::string LayerId(const CLayer& layer) {
  return layer.File().filename().string();
}

json MarkJson(const CMark& mark, const std::string& activeId) {
  json out = {{"id", mark.Id()},
              {"name", mark.name},
              {"lat", mark.position.lat},
              {"lon", mark.position.lon}};
  if (mark.hidden) out["hidden"] = true;
  if (mark.lockPosition) out["locked"] = true;
  if (!activeId.empty() && mark.Id() == activeId) out["active"] = true;
  return out;
}

}  // namespace

bool CNavObjectsApi::Drawn(const CNavDocuments& documents, const CNavObject& object) {
  if (object.hidden) return false;
  const CLayer* layer = documents.LayerOf(object);
  if (layer == nullptr || !layer->visible || layer == &documents.DeletedLayer()) return false;
  // A layer that expires (UTC ms since 1970; 0 never) is no longer drawn from then on.
  return layer->expires <= 0 || static_cast<double>(UtcNowMs()) < layer->expires;
}

json CNavObjectsApi::Layer(const CLayer& layer) {
  return {{"id", LayerId(layer)},
          {"name", layer.name},
          {"visible", layer.visible},
          {"readOnly", layer.readOnly},
          {"scaleMin", layer.scaleMin},
          {"expires", layer.expires},
          {"category", layer.category},
          {"objects", layer.Objects().size()},
          {"default", LayerId(layer) == kDefaultDocumentName}};
}

json CNavObjectsApi::Object(const CNavDocuments& documents, const CNavObject& object) {
  json out = ObjectToJson(object);
  const CLayer* layer = documents.LayerOf(object);
  out["layer"] = layer ? LayerId(*layer) : "";
  out["drawn"] = Drawn(documents, object);
  if (layer != nullptr && layer->name == kDeletedLayerName) {
    out["layer"] = kDeletedLayerName;
    if (std::string from = documents.DeletedFrom(object.Id()); !from.empty()) out["from"] = from;
  }
  return out;
}

json CNavObjectsApi::List(const CNavDocuments& documents, const std::string& activeId) {
  json marks = json::array();
  json routes = json::array();
  json objects = json::array();
  json layers = json::array();
  for (const auto& layer : documents.Layers()) {
    layers.push_back(Layer(*layer));
    for (const auto& object : layer->Objects()) {
      if (dynamic_cast<const CUnknownElement*>(object.get()) != nullptr) continue;  // kept, not edited
      objects.push_back(Object(documents, *object));
      if (!Drawn(documents, *object)) continue;
      const std::string layerId = LayerId(*layer);
      if (auto* mark = dynamic_cast<const CMark*>(object.get())) {
        json entry = MarkJson(*mark, activeId);
        entry["layer"] = layerId;
        marks.push_back(std::move(entry));
      } else if (auto* route = dynamic_cast<const CRoute*>(object.get())) {
        json points = json::array();
        for (size_t i = 0; i < route->Marks().size(); ++i) {
          if (!route->Marks()[i]) continue;
          json point = MarkJson(*route->Marks()[i], "");
          point["label"] = route->WaypointDisplayName(i);
          points.push_back(std::move(point));
        }
        routes.push_back({{"id", route->Id()},
                          {"name", route->DisplayName()},
                          {"active", !activeId.empty() && route->Id() == activeId},
                          {"lengthNm", route->TotalLengthNm()},
                          {"layer", layerId},
                          {"points", std::move(points)}});
      }
    }
  }
  json deleted = json::array();
  for (const auto& object : documents.DeletedLayer().Objects())
    deleted.push_back(Object(documents, *object));
  const CUndoStack& undo = documents.Undo();
  return {{"marks", std::move(marks)},     {"routes", std::move(routes)},
          {"objects", std::move(objects)}, {"deleted", std::move(deleted)},
          {"layers", std::move(layers)},   {"undo", undo.UndoLabel()},
          {"redo", undo.RedoLabel()}};
}

void CNavObjectsApi::Mount(CHttpServer& server, NavObjectsSource source) {
  server.Get("/api/navobjects", [source = std::move(source)](const HttpRequest&) {
    CNavDocuments* documents = source.documents ? source.documents() : nullptr;
    if (documents == nullptr)
      return HttpResponse::Json(503, JsonText({{"error", "The navigation objects are not open."}}));
    const std::string active = source.activeId ? source.activeId() : "";
    return HttpResponse::Json(200, JsonText(List(*documents, active)));
  });
}

NavObjectsSource ProgramNavObjects() {
  NavObjectsSource source;
  source.documents = [] { return NavDocuments(); };
  source.activeId = [] {
    const CNavController& navigation = RouteNavigator();
    if (navigation.ActiveRoute()) return navigation.ActiveRoute()->Id();
    if (navigation.ActiveWaypoint()) return navigation.ActiveWaypoint()->Id();
    return std::string();
  };
  return source;
}

}  // namespace tarnwick
