#pragma once
// "/options": settings over HTTP. GET with "name" answers one setting, with
// "group" every setting of that group, with neither every setting; POST of a
// JSON body {"name","value"} (texts) sets one. Answers are JSON objects
// {"name","kind","default","value","locked"}; a locked setting answers 409,
// an unknown one 404, a request without a name or value 400, a value longer
// than kMaxSettingTextBytes 413.

#include "server/HttpServer.h"

namespace tarnwick {

class COptionsController {
 public:
  // Mounts GET and POST "/options" on server (run on the user-interface thread).
  static void Mount(CHttpServer& server);

  static HttpResponse Get(const HttpRequest& request);
  static HttpResponse Post(const HttpRequest& request);
};

}  // namespace tarnwick
