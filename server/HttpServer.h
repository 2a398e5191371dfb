#pragma once
// The embedded HTTP server behind the web user interface and the programs that
// talk to us. Requests are accepted on a pool of worker threads; a handler
// marked for the user-interface thread is run there (posted to UiJobs(), so it
// may touch program state under the usual locking rules) while the worker
// waits for its answer.
//
// Every request passes the request guard (server/RequestGuard.h) before any
// route sees it: Host, Origin and fetch metadata, and for requests that may
// change state a JSON body and the per-run token of CsrfToken(). Every answer
// carries X-Frame-Options, Content-Security-Policy frame-ancestors and
// X-Content-Type-Options. A handler that throws answers 400 (a JSON value of
// the wrong type) or 500; the program goes on. Slow and many connections are
// handled by server/HttpConnections.h.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/ConnectionLimits.h"

namespace httplib {
class Server;
}

namespace tarnwick {

class CGatedServer;

struct HttpRequest {
  std::string method;                              // "GET", "POST", ...
  std::string path;                                // without the query
  std::multimap<std::string, std::string> params;  // query fields
  std::vector<std::string> matches;                // regex captures of the route, [0] = whole path
  std::string body;
  std::map<std::string, std::string> headers;

  // The first value of a query parameter, or fallback.
  std::string Param(const std::string& name, const std::string& fallback = "") const;
  bool HasParam(const std::string& name) const { return params.count(name) > 0; }
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "text/html; charset=utf-8";
  std::string body;
  std::map<std::string, std::string> headers;

  static HttpResponse Text(int status, std::string body);
  static HttpResponse Json(int status, std::string body);
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

// Where a handler runs: on the user-interface thread (the default, for
// anything that reads or changes program state) or directly on the worker.
enum class HandlerThread { Ui, Worker };

class CHttpServer {
 public:
  static constexpr int kDefaultPort = 8213;
  // How long a worker waits for the user-interface thread before answering 503.
  static constexpr uint64_t kUiTimeoutMs = 10000;

  explicit CHttpServer(ConnectionLimits limits = {});
  ~CHttpServer();
  CHttpServer(const CHttpServer&) = delete;
  CHttpServer& operator=(const CHttpServer&) = delete;

  // Routes: pattern is a regular expression over the whole path ("/nav/(\\w+)").
  // A GET handler only reads; whatever changes state is a POST, which only
  // the program's own page (or a script with the token) can send.
  void Get(const std::string& pattern, HttpHandler handler, HandlerThread thread = HandlerThread::Ui);
  void Post(const std::string& pattern, HttpHandler handler, HandlerThread thread = HandlerThread::Ui);
  // DELETE: guarded as a POST is (the program's page, the token, a JSON type).
  void Delete(const std::string& pattern, HttpHandler handler,
              HandlerThread thread = HandlerThread::Ui);
  // Access to the underlying server for streaming routes (server-sent events).
  httplib::Server& Raw();

  // Binds host:port (port 0: any free port) and serves on a background thread.
  // False when the address cannot be bound.
  bool Start(const std::string& host, int port);
  // Runs the stop hooks (which end long-lived streams), then stops serving
  // and waits for the workers.
  void Stop();
  // Adds a hook that Stop runs first; set before Start.
  void OnStop(std::function<void()> hook) { stopHooks_.push_back(std::move(hook)); }
  bool IsRunning() const;
  int Port() const { return port_; }
  // "http://HOST:PORT/".
  std::string Url() const;
  // The token that state-changing requests carry in X-CSRF-Token: 64 hex
  // digits, new for every server.
  const std::string& CsrfToken() const { return token_; }

 private:
  void Route(const std::string& method, const std::string& pattern, HttpHandler handler,
             HandlerThread thread);

  std::unique_ptr<CGatedServer> server_;
  const std::string token_;
  std::thread thread_;
  std::atomic<bool> listenEnded_{false};  // the listening thread is done
  std::vector<std::function<void()>> stopHooks_;
  std::string host_;
  int port_ = 0;
};

// The port the program serves on: the Network_HttpPort setting, 0 meaning 8213.
int ConfiguredHttpPort();

}  // namespace tarnwick
