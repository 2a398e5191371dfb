#pragma once
// Helpers of the server tests: a thread that plays the user-interface thread,
// a client that sends what the program's own page sends, and a reader of the
// live event stream that collects frames until a condition holds.

#include <httplib.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "core/JobQueue.h"
#include "server/HttpServer.h"

namespace tarnwick::testing {

// Runs jobs posted to the user-interface thread until destroyed.
class UiThread {
 public:
  UiThread()
      : thread_([this] {
          while (!stop_) {
            UiJobs().WaitForWork(20);
            UiJobs().RunAll();
          }
        }) {}
  ~UiThread() {
    stop_ = true;
    UiJobs().Wake();
    thread_.join();
  }
  std::thread::id Id() const { return thread_.get_id(); }
  // Runs work on the user-interface thread and waits for it.
  void Run(std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    UiJobs().Post([work = std::move(work), done] {
      work();
      done->set_value();
    });
    finished.wait();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A client of server with the headers of the program's own page: its Origin
// and the server's token. Posts need "application/json" as their type.
inline httplib::Client PageClient(const CHttpServer& server) {
  httplib::Client client("127.0.0.1", server.Port());
  client.set_default_headers(
      {{"Origin", "http://127.0.0.1:" + std::to_string(server.Port())},
       {"X-CSRF-Token", server.CsrfToken()}});
  return client;
}

// Reads "/events..." until done(received text) is true or the stream ends;
// returns everything received. Gives up after 10 s without data.
inline std::string ReadEvents(int port, const std::string& path,
                              const std::function<bool(const std::string&)>& done) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(10, 0);
  std::string received;
  client.Get(path.c_str(), [&](const char* data, size_t length) {
    received.append(data, length);
    return !done(received);
  });
  return received;
}

// The number of times needle occurs in text.
inline size_t Count(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++count;
  return count;
}

}  // namespace tarnwick::testing
