#pragma once
// "GET /api/settings": every setting of the program by group, with its kind,
// value, default, lock and, for choices, the keywords and labels; a setting is
// changed through "POST /options". "?group=AIS" gives one group (404 when it
// has no settings).

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/Setting.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CSettingsApi {
 public:
  static void Mount(CHttpServer& server);
  static HttpResponse Get(const HttpRequest& request);

  // The kind the settings page edits: "bool", "choice", "color", "font",
  // "datetime", and for text settings by their default: "int", "real",
  // "length" (a number with a length unit) or "text".
  static std::string PageKind(const CSetting& setting);
  static nlohmann::json Describe(const CSetting& setting);
};

}  // namespace tarnwick
