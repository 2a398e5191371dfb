#pragma once
// Requests that the `tarnwick` subcommands send to the running program through
// its control socket (the single-instance socket, owner-only in the runtime
// folder): one JSON object per line, {"command":"name",...}, answered by one
// JSON object per line, {"ok":true,...} or {"error":"text"}. Features register
// the commands they carry out; each runs on the user-interface thread.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tarnwick {

// Carries out a request (the whole object) and returns the answer object.
using ControlCommand = std::function<nlohmann::json(const nlohmann::json& request)>;

// Registers name's handler (replacing an earlier one). Before the program runs.
void RegisterControlCommand(const std::string& name, ControlCommand command);

// Answers one request line on the calling thread: the handler runs as a job
// of the user-interface thread, waited for up to timeout. Bad requests,
// unknown commands and a busy program answer {"error":...}.
std::string AnswerControlRequest(std::string_view line,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Sends request to the program running with runtimeFolder and returns its
// answer; empty when no program answers there.
std::optional<nlohmann::json> SendControlRequest(const std::filesystem::path& runtimeFolder,
                                                 const nlohmann::json& request);

}  // namespace tarnwick
