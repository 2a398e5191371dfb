// `tarnwick navobjects`: the running program's navigation objects from the
// command line, through its HTTP routes with the per-run token a script of
// the user may read (server/README.md, "Navigation objects"). Every edit runs
// in the program, through its documents: undo, locks and saving behave as on
// the page.

#include <httplib.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "app/Subcommand.h"
#include "core/Paths.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "server/HttpServer.h"

namespace tarnwick {
namespace {

using nlohmann::json;

int Usage() {
  fprintf(stderr,
          "usage: tarnwick navobjects list             one JSON line per object (deleted ones: "
          "layer \"_deleted\")\n"
          "       tarnwick navobjects add JSON         {\"type\":\"Mark\",\"name\",\"lat\",\"lon\"}, "
          "{\"type\":\"Route\",\"points\":[[lat,lon],...]}...\n"
          "       tarnwick navobjects set ID JSON      {\"Name\":\"Buoy\",...}\n"
          "       tarnwick navobjects delete ID | restore ID | undo | redo\n"
          "       tarnwick navobjects mob [LAT LON]    man overboard (own ship's position "
          "without LAT LON)\n"
          "       tarnwick navobjects mob-ack          acknowledge the man-overboard alarm\n");
  return 2;
}

// The running program's address and token; none when no program runs.
struct Program {
  int port = 0;
  std::string token;
};

std::optional<Program> RunningProgram() {
  std::ifstream file(RuntimeFolder() / "http-token");
  Program program;
  if (!(file >> program.token) || program.token.size() != 64) return std::nullopt;
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  program.port = ConfiguredHttpPort();
  return program;
}

// Sends the request as the program's page does; prints the answer. Exit 0 on 2xx.
int Send(const Program& program, const std::string& method, const std::string& path,
         const std::string& body, bool printBody = true) {
  httplib::Client client("127.0.0.1", program.port);
  client.set_connection_timeout(5);
  client.set_read_timeout(15);
  client.set_default_headers({{"Origin", "http://127.0.0.1:" + std::to_string(program.port)},
                              {"X-CSRF-Token", program.token}});
  httplib::Result result = method == "GET"      ? client.Get(path)
                           : method == "DELETE" ? client.Delete(path, body, "application/json")
                                                : client.Post(path, body, "application/json");
  if (!result) {
    fprintf(stderr, "tarnwick navobjects: the program does not answer on port %d\n", program.port);
    return 1;
  }
  if (result->status / 100 != 2) {
    const json answer = json::parse(result->body, nullptr, false);
    const std::string error = answer.is_object() && answer.contains("error") && answer["error"].is_string()
                                  ? answer["error"].get<std::string>()
                                  : "HTTP " + std::to_string(result->status);
    fprintf(stderr, "tarnwick navobjects: %s\n", error.c_str());
    return 1;
  }
  if (printBody) printf("%s\n", result->body.c_str());
  return 0;
}

// id percent-escaped for a path segment (ids are braced UUIDs: "{...}").
std::string Encoded(const std::string& id) {
  std::string out;
  for (unsigned char c : id) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      char escaped[4];
      snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

bool IsObject(const std::string& text) {
  return json::parse(text, nullptr, false).is_object();
}

int List(const Program& program) {
  httplib::Client client("127.0.0.1", program.port);
  client.set_read_timeout(15);
  httplib::Result result = client.Get("/api/navobjects");
  if (!result || result->status != 200) {
    fprintf(stderr, "tarnwick navobjects: the program does not list its objects\n");
    return 1;
  }
  const json list = json::parse(result->body, nullptr, false);
  if (!list.is_object()) return 1;
  for (const char* key : {"objects", "deleted"})
    for (const auto& object : list.value(key, json::array())) printf("%s\n", object.dump().c_str());
  return 0;
}

int NavobjectsMain(CArguments& args) {
  if (args.Size() < 1) return Usage();
  const std::string verb = args[0];
  const size_t count = args.Size() - 1;
  const auto program = RunningProgram();
  if (!program) {
    fprintf(stderr, "tarnwick navobjects: no running program answers (start it with tarnwick run)\n");
    return 1;
  }
  if (verb == "list" && count == 0) return List(*program);
  if (verb == "add" && count == 1 && IsObject(args[1]))
    return Send(*program, "POST", "/api/navobjects", args[1]);
  if (verb == "set" && count == 2 && IsObject(args[2]))
    return Send(*program, "POST", "/api/navobjects/" + Encoded(args[1]), args[2]);
  if (verb == "delete" && count == 1)
    return Send(*program, "DELETE", "/api/navobjects/" + Encoded(args[1]), "{}");
  if (verb == "restore" && count == 1)
    return Send(*program, "POST", "/api/navobjects/" + Encoded(args[1]) + "/restore", "{}");
  if ((verb == "undo" || verb == "redo") && count == 0)
    return Send(*program, "POST", "/api/navobjects/" + verb, "{}");
  if (verb == "mob" && (count == 0 || count == 2)) {
    json body = json::object();
    if (count == 2) {
      try {
        body = {{"lat", std::stod(args[1])}, {"lon", std::stod(args[2])}};
      } catch (const std::exception&) {
        return Usage();
      }
    }
    return Send(*program, "POST", "/api/mob", body.dump());
  }
  if (verb == "mob-ack" && count == 0) return Send(*program, "POST", "/api/mob/acknowledge", "{}");
  return Usage();
}

const CSubcommand kNavobjects("navobjects",
                              "list | add JSON | set ID JSON | delete ID | restore ID | undo | "
                              "redo | mob [LAT LON] | mob-ack",
                              "create, change, delete and restore the running program's "
                              "navigation objects; man overboard",
                              NavobjectsMain);

}  // namespace
}  // namespace tarnwick
