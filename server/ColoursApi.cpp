#include "server/ColoursApi.h"

#include <cctype>
#include <string>

#include "charts/s52/S52Colours.h"
#include "charts/s52/S52Library.h"
#include "server/LiveJson.h"

namespace tarnwick {

HttpResponse CColoursApi::Colours(const CS52ColourTables& tables) {
  nlohmann::json out = nlohmann::json::object();
  for (int i = 0; i < kS52SchemeCount; ++i) {
    const auto scheme = static_cast<S52Scheme>(i);
    std::string name = S52SchemeName(scheme);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    nlohmann::json colours = nlohmann::json::object();
    for (const S52Colour& colour : tables.Colours(scheme))
      colours[colour.token] = S52RgbHex(colour.rgb);
    out[name] = std::move(colours);
  }
  HttpResponse response = HttpResponse::Json(200, JsonText(out));
  response.headers["Cache-Control"] = "no-cache";
  return response;
}

void CColoursApi::Mount(CHttpServer& server) {
  server.Get(
      "/api/colours", [](const HttpRequest&) { return Colours(S52Library().Colours()); },
      HandlerThread::Worker);
}

}  // namespace tarnwick
