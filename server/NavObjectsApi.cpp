#include "server/NavObjectsApi.h"

#include "navobjects/NavObjectsModule.h"
#include "navobjects/model/Layer.h"
#include "navobjects/model/Mark.h"
#include "navobjects/model/Route.h"
#include "navobjects/navigation/RouteNavigationModule.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

json MarkJson(const CMark& mark, const std::string& activeId) {
  json out = {{"id", mark.Id()},
              {"name", mark.name},
              {"lat", mark.position.lat},
              {"lon", mark.position.lon}};
  if (mark.hidden) out["hidden"] = true;
  if (!activeId.empty() && mark.Id() == activeId) out["active"] = true;
  return out;
}

}  // namespace

json CNavObjectsApi::List(const std::vector<std::shared_ptr<CNavObject>>& objects,
                          const std::string& activeId) {
  json marks = json::array();
  json routes = json::array();
  for (const auto& object : objects) {
    if (!object) continue;
    if (auto* mark = dynamic_cast<const CMark*>(object.get())) {
      marks.push_back(MarkJson(*mark, activeId));
    } else if (auto* route = dynamic_cast<const CRoute*>(object.get())) {
      json points = json::array();
      for (const auto& point : route->Marks())
        if (point) points.push_back(MarkJson(*point, ""));
      json entry = {{"id", route->Id()},
                    {"name", route->DisplayName()},
                    {"active", !activeId.empty() && route->Id() == activeId},
                    {"lengthNm", route->TotalLengthNm()},
                    {"points", std::move(points)}};
      if (route->hidden) entry["hidden"] = true;
      routes.push_back(std::move(entry));
    }
  }
  return {{"marks", std::move(marks)}, {"routes", std::move(routes)}};
}

void CNavObjectsApi::Mount(CHttpServer& server, NavObjectsSource source) {
  server.Get("/api/navobjects", [source = std::move(source)](const HttpRequest&) {
    const auto objects =
        source.objects ? source.objects() : std::vector<std::shared_ptr<CNavObject>>{};
    const std::string active = source.activeId ? source.activeId() : "";
    return HttpResponse::Json(200, JsonText(List(objects, active)));
  });
}

NavObjectsSource ProgramNavObjects() {
  NavObjectsSource source;
  source.objects = [] {
    std::vector<std::shared_ptr<CNavObject>> out;
    CNavDocuments* documents = NavDocuments();
    if (!documents) return out;
    for (const auto& layer : documents->Layers())
      if (layer && layer.get() != &documents->DeletedLayer())
        for (const auto& object : layer->Objects()) out.push_back(object);
    return out;
  };
  source.activeId = [] {
    const CNavController& navigation = RouteNavigator();
    if (navigation.ActiveRoute()) return navigation.ActiveRoute()->Id();
    if (navigation.ActiveWaypoint()) return navigation.ActiveWaypoint()->Id();
    return std::string();
  };
  return source;
}

}  // namespace tarnwick
