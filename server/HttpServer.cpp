#include "server/HttpServer.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/ShutdownEvent.h"
#include "core/settings/NetworkSettings.h"

namespace tarnwick {
namespace {

// Live event streams hold a worker each (at most 8 of them).
constexpr size_t kWorkerThreads = 16;
constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;

HttpRequest ToRequest(const httplib::Request& in) {
  HttpRequest out;
  out.method = in.method;
  out.path = in.path;
  for (const auto& [name, value] : in.params) out.params.emplace(name, value);
  for (size_t i = 0; i < in.matches.size(); ++i) out.matches.push_back(in.matches[i].str());
  out.body = in.body;
  for (const auto& [name, value] : in.headers) out.headers[name] = value;
  // Form posts carry their fields in the body.
  auto type = in.headers.find("Content-Type");
  if (type != in.headers.end() && type->second.rfind("application/x-www-form-urlencoded", 0) == 0) {
    httplib::Params form;
    httplib::detail::parse_query_text(in.body, form);
    for (const auto& [name, value] : form) out.params.emplace(name, value);
  }
  return out;
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
    HttpResponse response = handler(request);
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

CHttpServer::CHttpServer() : server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server_->set_payload_max_length(kMaxBodyBytes);
  server_->set_read_timeout(5, 0);
  server_->set_write_timeout(5, 0);
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
    HttpResponse response =
        thread == HandlerThread::Ui ? RunOnUiThread(handler, request) : handler(request);
    out.status = response.status;
    for (const auto& [name, value] : response.headers) out.set_header(name, value);
    out.set_content(response.body, response.contentType);
  };
  if (method == "GET")
    server_->Get(pattern, run);
  else
    server_->Post(pattern, run);
}

void CHttpServer::Get(const std::string& pattern, HttpHandler handler, HandlerThread thread) {
  Route("GET", pattern, std::move(handler), thread);
}

void CHttpServer::Post(const std::string& pattern, HttpHandler handler, HandlerThread thread) {
  Route("POST", pattern, std::move(handler), thread);
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
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  return true;
}

void CHttpServer::Stop() {
  if (!thread_.joinable()) return;
  for (const auto& hook : stopHooks_) hook();
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
