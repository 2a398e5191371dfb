#include "core/ControlRequests.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <map>
#include <memory>
#include <mutex>

#include "core/JobQueue.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr size_t kMaxLine = 64 * 1024;
constexpr int kAnswerTimeoutMs = 10000;

std::mutex g_mutex;
std::map<std::string, ControlCommand>& Commands() {
  static std::map<std::string, ControlCommand> commands;
  return commands;
}

std::string Error(const std::string& text) {
  return nlohmann::json{{"error", text}}.dump();
}

}  // namespace

void RegisterControlCommand(const std::string& name, ControlCommand command) {
  std::lock_guard lock(g_mutex);
  Commands()[name] = std::move(command);
}

std::string AnswerControlRequest(std::string_view line, std::chrono::milliseconds timeout) {
  const nlohmann::json request = nlohmann::json::parse(line, nullptr, false);
  if (!request.is_object() || !request.contains("command") || !request["command"].is_string())
    return Error("A request is a JSON object with a \"command\".");
  const std::string name = request["command"].get<std::string>();
  ControlCommand command;
  {
    std::lock_guard lock(g_mutex);
    auto it = Commands().find(name);
    if (it != Commands().end()) command = it->second;
  }
  if (!command) return Error("Unknown command \"" + name + "\".");
  auto answer = std::make_shared<std::promise<std::string>>();
  std::future<std::string> result = answer->get_future();
  UiJobs().Post([answer, command, request] {
    nlohmann::json reply;
    try {
      reply = command(request);
    } catch (const std::exception& e) {
      reply = {{"error", std::string("The command failed: ") + e.what()}};
    }
    answer->set_value(reply.dump());
  });
  if (result.wait_for(timeout) != std::future_status::ready)
    return Error("The program is busy; try again.");
  Log("Control request: %s\n", name.c_str());
  return result.get();
}

std::optional<nlohmann::json> SendControlRequest(const std::filesystem::path& runtimeFolder,
                                                 const nlohmann::json& request) {
  const std::string path = (runtimeFolder / "control.sock").string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::optional<nlohmann::json> answer;
  const std::string line = request.dump() + "\n";
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
    std::string text;
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    while (text.size() < kMaxLine && poll(&p, 1, kAnswerTimeoutMs) > 0 && read(fd, &c, 1) == 1 &&
           c != '\n')
      text += c;
    const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_object()) answer = parsed;
  }
  close(fd);
  return answer;
}

}  // namespace tarnwick
