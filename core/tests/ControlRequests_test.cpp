// Requests of the subcommands to the running program: answered on the
// user-interface thread's job queue, refused when malformed, unknown or when
// the program does not get to them in time.

#include "core/ControlRequests.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/JobQueue.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;

TEST(ControlRequests, AnsweredOnTheJobQueueOrRefused) {
  RegisterControlCommand("test-echo", [](const nlohmann::json& request) {
    return nlohmann::json{{"ok", true}, {"text", request.value("say", std::string())}};
  });
  std::atomic<bool> stop{false};
  std::thread ui([&stop] {
    while (!stop) {
      UiJobs().WaitForWork(10);
      UiJobs().RunAll();
    }
  });
  const std::pair<const char*, const char*> cases[] = {
      {R"({"command":"test-echo","say":"hello"})", R"({"ok":true,"text":"hello"})"},
      {R"({"command":"nothing-such"})", R"({"error":"Unknown command \"nothing-such\"."})"},
      {"show me", R"({"error":"A request is a JSON object with a \"command\"."})"},
      {R"({"command":7})", R"({"error":"A request is a JSON object with a \"command\"."})"},
  };
  for (const auto& [request, answer] : cases)
    EXPECT_EQ(AnswerControlRequest(request), answer) << request;
  stop = true;
  ui.join();

  // Nobody runs the queue: the request is answered as busy, not waited for forever.
  EXPECT_EQ(AnswerControlRequest(R"({"command":"test-echo"})", 20ms),
            R"({"error":"The program is busy; try again."})");
  UiJobs().RunAll();
}

}  // namespace
}  // namespace tarnwick
