#include "server/HttpServer.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/Clock.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/ShutdownEvent.h"
#include "core/settings/NetworkSettings.h"
#include "server/HttpConnections.h"
#include "server/RequestGuard.h"

namespace tarnwick {
namespace {

constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;

// Sent with every answer: no page may frame ours, and no browser may guess
// a type other than the one we name.
const httplib::Headers kSecurityHeaders = {
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Cross-Origin-Resource-Policy", "same-origin"},
    {"Referrer-Policy", "no-referrer"},
};

HttpRequest ToRequest(const httplib::Request& in) {
  HttpRequest out;
  out.method = in.method;
  out.path = in.path;
  for (const auto& [name, value] : in.params) out.params.emplace(name, value);
  for (size_t i = 0; i < in.matches.size(); ++i) out.matches.push_back(in.matches[i].str());
  out.body = in.body;
  for (const auto& [name, value] : in.headers) out.headers[name] = value;
  return out;
}

std::optional<std::string> Header(const httplib::Request& request, const char* name,
                                  bool& ambiguous) {
  const size_t count = request.get_header_value_count(name);
  if (count > 1) ambiguous = true;
  if (count == 0) return std::nullopt;
  return request.get_header_value(name);
}

GuardedRequest Guarded(const httplib::Request& request) {
  GuardedRequest out;
  out.method = request.method;
  out.host = Header(request, "Host", out.ambiguous);
  out.origin = Header(request, "Origin", out.ambiguous);
  out.fetchSite = Header(request, "Sec-Fetch-Site", out.ambiguous);
  out.fetchMode = Header(request, "Sec-Fetch-Mode", out.ambiguous);
  out.fetchDest = Header(request, "Sec-Fetch-Dest", out.ambiguous);
  out.contentType = Header(request, "Content-Type", out.ambiguous);
  out.csrfToken = Header(request, "X-CSRF-Token", out.ambiguous);
  const std::optional<std::string> length = Header(request, "Content-Length", out.ambiguous);
  out.hasBody = (length && *length != "0") || request.has_header("Transfer-Encoding");
  return out;
}

// One log line per refused request, but not more than one a second: a page
// that keeps trying must not fill the log.
void LogRefusal(const httplib::Request& request, const Refusal& refusal) {
  static std::atomic<uint64_t> lastTick{0};
  static std::atomic<uint64_t> quiet{0};
  const uint64_t now = TickCount();
  uint64_t last = lastTick.load();
  if (now - last < 1000 || !lastTick.compare_exchange_strong(last, now)) {
    ++quiet;
    return;
  }
  const uint64_t skipped = quiet.exchange(0);
  Log("CHttpServer: refused %s %s from %s (%d, %s)%s\n", request.method.c_str(),
      request.path.substr(0, 200).c_str(), request.remote_addr.c_str(), refusal.status,
      refusal.message.c_str(),
      skipped ? (" and " + std::to_string(skipped) + " more since").c_str() : "");
}

HttpResponse JsonError(int status, const std::string& message) {
  return HttpResponse::Json(status, nlohmann::json{{"error", message}}.dump());
}

// Runs handler, turning an exception into an answer: a JSON value of the
// wrong type is the request's fault (400), anything else ours (500).
HttpResponse RunGuarded(const HttpHandler& handler, const HttpRequest& request) {
  try {
    return handler(request);
  } catch (const nlohmann::json::exception& e) {
    Log("CHttpServer: %s %s: %s\n", request.method.c_str(), request.path.c_str(), e.what());
    return JsonError(400, "A value in the request has the wrong type.");
  } catch (const std::exception& e) {
    Log("CHttpServer: %s %s failed: %s\n", request.method.c_str(), request.path.c_str(), e.what());
    return JsonError(500, "The program could not answer this request.");
  } catch (...) {
    Log("CHttpServer: %s %s failed\n", request.method.c_str(), request.path.c_str());
    return JsonError(500, "The program could not answer this request.");
  }
}

// Runs handler on the user-interface thread and waits for its answer.
HttpResponse RunOnUiThread(const HttpHandler& handler, const HttpRequest& request) {
  struct Exchange {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    HttpResponse response;
  };
  auto exchange = std::make_shared<Exchange>();
  UiJobs().Post([exchange, handler, request] {
    HttpResponse response = RunGuarded(handler, request);
    std::lock_guard lock(exchange->mutex);
    exchange->response = std::move(response);
    exchange->finished = true;
    exchange->done.notify_all();
  });
  std::unique_lock lock(exchange->mutex);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(CHttpServer::kUiTimeoutMs);
  while (!exchange->finished) {
    if (exchange->done.wait_until(lock, deadline) == std::cv_status::timeout ||
        ShutdownEvent().IsSet()) {
      if (exchange->finished) break;
      return HttpResponse::Text(503, "The program is busy or shutting down.\n");
    }
  }
  return exchange->response;
}

}  // namespace

std::string HttpRequest::Param(const std::string& name, const std::string& fallback) const {
  auto it = params.find(name);
  return it == params.end() ? fallback : it->second;
}

HttpResponse HttpResponse::Text(int status, std::string body) {
  return {status, "text/plain; charset=utf-8", std::move(body), {}};
}

// With the charset parameter the HTTP library does not brotli-compress the
// body, which at its quality setting would cost far more than sending it.
HttpResponse HttpResponse::Json(int status, std::string body) {
  return {status, "application/json; charset=utf-8", std::move(body), {}};
}

CHttpServer::CHttpServer(ConnectionLimits limits)
    : server_(std::make_unique<CGatedServer>(limits)), token_(NewCsrfToken()) {
  server_->set_payload_max_length(kMaxBodyBytes);
  server_->set_default_headers(kSecurityHeaders);
  server_->set_pre_routing_handler([this](const httplib::Request& request,
                                          httplib::Response& response) {
    GuardPolicy policy;
    policy.port = port_;
    policy.hostNames = ParseHostNames(opt::Network_HttpHostNames.Text());
    policy.token = token_;
    const std::optional<Refusal> refusal = CheckRequest(Guarded(request), policy);
    if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
    LogRefusal(request, *refusal);
    response.status = refusal->status;
    response.set_content(nlohmann::json{{"error", refusal->message}}.dump(),
                         "application/json; charset=utf-8");
    return httplib::Server::HandlerResponse::Handled;
  });
  server_->set_exception_handler(
      [](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
        Log("CHttpServer: handler for %s failed\n", req.path.c_str());
        res.status = 500;
        res.set_content("Internal error.\n", "text/plain; charset=utf-8");
      });
  server_->set_error_handler([](const httplib::Request&, httplib::Response& res) {
    // A handler's own answer (even an empty one) stands; only the server's
    // bare errors get a text.
    if (!res.body.empty() || res.has_header("Content-Type")) return;
    const char* text = res.status == 404   ? "Not found.\n"
                       : res.status == 400 ? "Bad request.\n"
                                           : "Error.\n";
    res.set_content(text, "text/plain; charset=utf-8");
  });
}

CHttpServer::~CHttpServer() {
  Stop();
}

void CHttpServer::Route(const std::string& method, const std::string& pattern, HttpHandler handler,
                        HandlerThread thread) {
  auto run = [handler = std::move(handler), thread](const httplib::Request& in,
                                                    httplib::Response& out) {
    HttpRequest request = ToRequest(in);
    HttpResponse response = thread == HandlerThread::Ui ? RunOnUiThread(handler, request)
                                                        : RunGuarded(handler, request);
    out.status = response.status;
    // A handler's header replaces the server's default of the same name.
    for (const auto& [name, value] : response.headers) {
      out.headers.erase(name);
      out.set_header(name, value);
    }
    out.set_content(response.body, response.contentType);
  };
  if (method == "GET")
    server_->Get(pattern, run);
  else if (method == "DELETE")
    server_->Delete(pattern, run);
  else
    server_->Post(pattern, run);
}

void CHttpServer::Get(const std::string& pattern, HttpHandler handler, HandlerThread thread) {
  Route("GET", pattern, std::move(handler), thread);
}

void CHttpServer::Post(const std::string& pattern, HttpHandler handler, HandlerThread thread) {
  Route("POST", pattern, std::move(handler), thread);
}

void CHttpServer::Delete(const std::string& pattern, HttpHandler handler, HandlerThread thread) {
  Route("DELETE", pattern, std::move(handler), thread);
}

httplib::Server& CHttpServer::Raw() {
  return *server_;
}

bool CHttpServer::Start(const std::string& host, int port) {
  if (thread_.joinable()) return true;
  host_ = host;
  if (port == 0) {
    port_ = server_->bind_to_any_port(host);
    if (port_ <= 0) return false;
  } else {
    if (!server_->bind_to_port(host, port)) {
      Log("CHttpServer: cannot bind %s:%d (%d)\n", host.c_str(), port, errno);
      return false;
    }
    port_ = port;
  }
  listenEnded_ = false;
  thread_ = std::thread([this] {
    server_->listen_after_bind();
    listenEnded_ = true;
  });
  return true;
}

void CHttpServer::Stop() {
  if (!thread_.joinable()) return;
  for (const auto& hook : stopHooks_) hook();
  server_->DropWaiting();
  // The library's stop() ends only a server that has begun listening; one
  // stopped right after Start would otherwise wait in accept() for ever.
  while (!listenEnded_ && !server_->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server_->stop();
  thread_.join();
}

bool CHttpServer::IsRunning() const {
  return thread_.joinable() && server_->is_running();
}

std::string CHttpServer::Url() const {
  return "http://" + host_ + ":" + std::to_string(port_) + "/";
}

int ConfiguredHttpPort() {
  int port = opt::Network_HttpPort.GetInt();
  return port > 0 && port < 65536 ? port : CHttpServer::kDefaultPort;
}

}  // namespace tarnwick
