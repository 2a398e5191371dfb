#include "server/DocumentRoutes.h"

#include "navobjects/files/Gpx.h"
#include "navobjects/files/NobWriter.h"
#include "navobjects/files/ObjectJson.h"
#include "navobjects/model/MarkPath.h"

namespace tarnwick {
namespace {

constexpr const char* kGpxMediaType = "application/gpx+xml";

HttpResponse Document(std::string contentType, std::string body) {
  HttpResponse response{200, std::move(contentType), std::move(body), {}};
  response.headers["Cache-Control"] = "no-cache";
  return response;
}

// The object followed by the marks it runs through.
std::vector<std::shared_ptr<CNavObject>> WithMarks(const std::shared_ptr<CNavObject>& object) {
  std::vector<std::shared_ptr<CNavObject>> objects{object};
  if (const auto* path = dynamic_cast<const CMarkPath*>(object.get()))
    objects.insert(objects.end(), path->Marks().begin(), path->Marks().end());
  return objects;
}

}  // namespace

void CDocumentRoutes::Mount(CHttpServer& server, NavObjectLookup lookup) {
  server.Get(
      "/documents/objects/([^/]+)",
      [lookup = std::move(lookup)](const HttpRequest& request) {
        return Object(lookup, request.matches.at(1), request.Param("format"));
      },
      HandlerThread::Ui);
}

HttpResponse CDocumentRoutes::Object(const NavObjectLookup& lookup, const std::string& id,
                                     const std::string& format) {
  std::shared_ptr<CNavObject> object = lookup ? lookup(id) : nullptr;
  if (!object) return HttpResponse::Text(404, "No object has the id " + id + ".\n");
  if (format.empty() || format == "nob")
    return Document(kNobMediaType, WriteNobDocument(WithMarks(object)));
  if (format == "gpx") return Document(kGpxMediaType, WriteGpxDocument({object}));
  if (format == "json") {
    // Names from files are 8-bit text: invalid UTF-8 is replaced, never thrown.
    return Document(
        "application/json; charset=utf-8",
        ObjectToJson(*object).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  }
  return HttpResponse::Text(400, "Unknown format " + format + "; use nob, gpx or json.\n");
}

}  // namespace tarnwick
