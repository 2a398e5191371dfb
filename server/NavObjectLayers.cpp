#include "server/NavObjectLayers.h"

#include <sstream>

#include "navobjects/files/Gpx.h"
#include "server/LiveJson.h"
#include "server/NavObjectsApi.h"

namespace tarnwick {
namespace {

using nlohmann::json;

constexpr const char* kLayerPattern = "/api/navlayers/([^/]+)";

HttpResponse Error(int status, const std::string& message) {
  return RefusalResponse({status, message, json::object()});
}

std::shared_ptr<CLayer> FindLayer(CNavDocuments& documents, const std::string& id) {
  for (const auto& layer : documents.Layers())
    if (layer->File().filename().string() == id) return layer;
  return nullptr;
}

HttpResponse CreateLayer(CNavDocuments& documents, const HttpRequest& request) {
  const json body = json::parse(request.body.empty() ? "{}" : request.body, nullptr, false);
  if (!body.is_object()) return Error(400, "The request is not a JSON object.");
  auto layer = documents.CreateLayer();
  if (body.contains("name") && body["name"].is_string() && !body["name"].get<std::string>().empty())
    layer->name = body["name"].get<std::string>();
  // Saved at once, so that the new layer is there after a restart even while empty.
  documents.SaveLayer(*layer);
  return HttpResponse::Json(201, JsonText(CNavObjectsApi::Layer(*layer)));
}

HttpResponse ChangeLayer(CNavDocuments& documents, const HttpRequest& request) {
  auto layer = FindLayer(documents, request.matches[1]);
  if (!layer) return Error(404, "There is no such layer.");
  json body = json::parse(request.body, nullptr, false);
  if (!body.is_object()) return Error(400, "The request is not a JSON object.");
  // Layer-wide changes of objects obey the layer's read-only flag.
  for (const char* name : {"lockPositions", "showNames"}) {
    if (!body.contains(name)) continue;
    if (!body[name].is_boolean()) return Error(400, std::string(name) + " is true or false.");
    if (layer->readOnly && !(body.contains("readOnly") && body["readOnly"] == false))
      return RefusalResponse(
          {409, ExpandMessage(kReadOnlyLayerMessage, {layer->name}), {{"readOnly", true}}});
  }
  // The page's names of the layer's own properties.
  static const std::pair<const char*, const char*> kNames[] = {
      {"name", "Name"},         {"visible", "Visible"}, {"readOnly", "ReadOnly"},
      {"scaleMin", "ScaleMin"}, {"expires", "Expires"}, {"category", "Category"}};
  json properties = json::object();
  for (const auto& [member, property] : kNames)
    if (body.contains(member)) properties[property] = body[member];
  if (auto refusal = CNavObjectEdits::SetProperties(documents, layer, properties))
    return RefusalResponse(*refusal);
  if (body.contains("lockPositions")) documents.LockPositions(*layer, body["lockPositions"]);
  if (body.contains("showNames")) documents.ShowNames(*layer, body["showNames"]);
  return HttpResponse::Json(200, JsonText(CNavObjectsApi::Layer(*layer)));
}

HttpResponse DeleteLayer(CNavDocuments& documents, const HttpRequest& request) {
  auto layer = FindLayer(documents, request.matches[1]);
  if (!layer) return Error(404, "There is no such layer.");
  if (!documents.DeleteLayer(*layer))
    return Error(409, "The default layer and the deleted objects cannot be deleted.");
  return HttpResponse::Json(200, JsonText({{"deleted", request.matches[1]}}));
}

HttpResponse ExportGpx(CNavDocuments& documents, const HttpRequest& request) {
  std::vector<std::shared_ptr<CNavObject>> objects;
  if (request.HasParam("ids")) {
    std::stringstream ids(request.Param("ids"));
    for (std::string id; std::getline(ids, id, ',');) {
      auto object = documents.FindObject(id);
      if (!object) return Error(404, "There is no object with this id.");
      objects.push_back(std::move(object));
    }
  } else {
    for (const auto& layer : documents.Layers())
      for (const auto& object : layer->Objects()) objects.push_back(object);
  }
  HttpResponse response;
  response.contentType = "application/gpx+xml";
  response.body = WriteGpxDocument(objects);
  response.headers["Content-Disposition"] = "attachment; filename=\"navobjects.gpx\"";
  return response;
}

HttpResponse ImportGpx(CNavDocuments& documents, const HttpRequest& request) {
  CLayer* layer = &documents.DefaultLayer();
  if (request.HasParam("layer")) {
    layer = FindLayer(documents, request.Param("layer")).get();
    if (layer == nullptr) return Error(404, "There is no such layer.");
  }
  if (layer->readOnly)
    return RefusalResponse(
        {409, ExpandMessage(kReadOnlyLayerMessage, {layer->name}), {{"readOnly", true}}});
  GpxReadResult result = ReadGpxDocument(request.body);
  if (!result.ok) return Error(400, result.error);
  if (result.objects.empty()) return Error(400, "The file holds no waypoints, routes or tracks.");
  documents.RecordEdit("Import GPX", [&] {
    for (const auto& object : result.objects) documents.AddObject(object, layer);
  });
  json ids = json::array();
  for (const auto& object : result.objects) ids.push_back(object->Id());
  return HttpResponse::Json(
      201, JsonText({{"ids", std::move(ids)}, {"skippedPoints", result.skippedPoints}}));
}

}  // namespace

void CNavObjectLayers::Mount(CHttpServer& server, NavDocumentsSource source) {
  auto with = [source](auto handler) {
    return [source, handler](const HttpRequest& request) {
      CNavDocuments* documents = source ? source() : nullptr;
      if (documents == nullptr) return Error(503, "The navigation objects are not open.");
      return handler(*documents, request);
    };
  };
  server.Get("/api/navobjects/gpx", with(ExportGpx));
  server.Post("/api/navobjects/gpx", with(ImportGpx));
  server.Post("/api/navlayers", with(CreateLayer));
  server.Post(std::string(kLayerPattern) + "/delete", with(DeleteLayer));
  server.Delete(kLayerPattern, with(DeleteLayer));
  server.Post(kLayerPattern, with(ChangeLayer));
}

}  // namespace tarnwick
