#pragma once
// The storage pages' routes over the key-value store: "GET /api/storage"
// lists the domains, "GET /api/storage?domain=D" the entries of one domain;
// "POST /api/storage" with {"domain","name","value"} writes an entry and with
// {"domain","name","delete":true} removes it. The settings' own domain
// "options" is read-only here: settings change through "/options", which
// keeps the registry and its listeners in step.

#include "core/Storage.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CStorageApi {
 public:
  // store must outlive the server.
  static void Mount(CHttpServer& server, CStorage& store);
  static HttpResponse Get(CStorage& store, const HttpRequest& request);
  static HttpResponse Post(CStorage& store, const HttpRequest& request);
};

}  // namespace tarnwick
