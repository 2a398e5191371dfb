#include "server/StaticFiles.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/Log.h"

namespace tarnwick {
namespace {

// The app's own paths; the browser shows them, the page routes them.
constexpr const char* kAppPaths =
    "/(settings|ports|monitor|routes|recordings|storage|ais|plot|logbook|tides|alarms|navtex|weather|charts)(/[^.]*)?";
// Files the front end's build puts next to index.html.
constexpr const char* kTopLevelFiles =
    R"(/([A-Za-z0-9_-]+\.(ico|png|svg|json|webmanifest|txt|js|css)))";

constexpr size_t kMaxFileBytes = 64 * 1024 * 1024;

struct TypeRow {
  const char* extension;
  const char* type;
};
// The HTTP library compresses "text/..." bodies and a few exact types with
// brotli at its highest quality whenever the browser accepts it, which costs
// seconds for the front end's script. Scripts and JSON are therefore named by
// types with a charset parameter, which it leaves alone: on the loopback
// interface sending them plain is the faster choice.
const TypeRow kTypes[] = {
    {".html", "text/html; charset=utf-8"},
    {".js", "application/javascript; charset=utf-8"},
    {".mjs", "application/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".json", "application/json; charset=utf-8"},
    {".map", "application/json; charset=utf-8"},
    {".webmanifest", "application/manifest+json"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".gif", "image/gif"},
    {".webp", "image/webp"},
    {".ico", "image/x-icon"},
    {".woff2", "font/woff2"},
    {".woff", "font/woff"},
    {".ttf", "font/ttf"},
    {".wasm", "application/wasm"},
    {".txt", "text/plain; charset=utf-8"},
};

bool EndsWithIgnoreCase(std::string_view text, std::string_view tail) {
  if (tail.size() > text.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
      return false;
  return true;
}

// Build tools name bundled files "name-<hash>.ext"; such a name never gets new content.
bool IsHashedAsset(std::string_view relative) {
  if (relative.rfind("assets/", 0) != 0) return false;
  const size_t dot = relative.rfind('.');
  if (dot == std::string_view::npos) return false;
  const size_t dash = relative.rfind('-', dot);
  const size_t slash = relative.rfind('/');
  if (dash == std::string_view::npos || dash < slash) return false;
  return dot - dash - 1 >= 8;
}

HttpResponse NotFound() {
  return HttpResponse::Text(404, "Not found.\n");
}

HttpResponse MissingFrontEnd(const std::filesystem::path& root) {
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tarnwick ECS</title></head>"
      "<body>\n<h1>The browser interface is not installed</h1>\n<p>The program found no " +
      (root / "index.html").string() +
      ". Build the front end (see README.md) or reinstall.</p>\n<p>These pages work without it: "
      "<a href=\"/nav\">navigation</a>, <a href=\"/browser/log\">log</a>, "
      "<a href=\"/browser/voyage_recordings\">voyage recordings</a>, "
      "<a href=\"/options\">settings (JSON)</a>.</p>\n</body></html>\n";
  HttpResponse response{503, "text/html; charset=utf-8", std::move(html), {}};
  response.headers["Cache-Control"] = "no-cache";
  return response;
}

}  // namespace

bool CStaticFiles::IsSafePath(std::string_view relative) {
  if (relative.empty()) return false;
  if (relative.find('\\') != std::string_view::npos ||
      relative.find('\0') != std::string_view::npos)
    return false;
  size_t start = 0;
  while (start <= relative.size()) {
    const size_t end = std::min(relative.find('/', start), relative.size());
    const std::string_view segment = relative.substr(start, end - start);
    if (segment.empty() || segment.front() == '.') return false;
    start = end + 1;
  }
  return true;
}

std::string CStaticFiles::ContentType(std::string_view name) {
  for (const TypeRow& row : kTypes)
    if (EndsWithIgnoreCase(name, row.extension)) return row.type;
  return "application/octet-stream";
}

HttpResponse CStaticFiles::Serve(const std::filesystem::path& root, std::string_view relative) {
  if (!IsSafePath(relative)) return NotFound();
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::canonical(root, ec);
  if (ec) return relative == "index.html" ? MissingFrontEnd(root) : NotFound();
  const std::filesystem::path file = std::filesystem::canonical(base / std::string(relative), ec);
  if (ec) return relative == "index.html" ? MissingFrontEnd(root) : NotFound();
  // A link inside the folder must not lead out of it.
  const std::string inside = file.string();
  const std::string prefix = base.string() + "/";
  if (inside.compare(0, prefix.size(), prefix) != 0) return NotFound();
  if (!std::filesystem::is_regular_file(file, ec)) return NotFound();
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxFileBytes) return NotFound();
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Log("Static files: cannot read %s\n", inside.c_str());
    return NotFound();
  }
  std::ostringstream content;
  content << in.rdbuf();
  HttpResponse response{200, ContentType(inside), content.str(), {}};
  response.headers["Cache-Control"] =
      IsHashedAsset(relative) ? "public, max-age=31536000, immutable" : "no-cache";
  return response;
}

HttpResponse CStaticFiles::ServeIndex(const std::filesystem::path& root, const std::string& token) {
  HttpResponse response = Serve(root, "index.html");
  if (response.status != 200) return response;
  const std::string meta = "<meta name=\"csrf-token\" content=\"" + token + "\" />";
  // At the start of the head, else after the doctype (a page without a head
  // gets one implied there).
  std::string& html = response.body;
  std::string lower = html.substr(0, 4096);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t at = lower.find("<head>");
  if (at != std::string::npos)
    at += 6;
  else if (lower.rfind("<!doctype", 0) == 0)
    at = lower.find('>') + 1;
  else
    at = 0;
  html.insert(at, meta);
  // The token is new with every run of the program: never keep the page.
  response.headers["Cache-Control"] = "no-store";
  return response;
}

void CStaticFiles::Mount(CHttpServer& server, std::filesystem::path root) {
  auto index = [root, token = server.CsrfToken()](const HttpRequest&) {
    return ServeIndex(root, token);
  };
  auto file = [root](const HttpRequest& request) { return Serve(root, request.matches.at(1)); };
  server.Get("/", index, HandlerThread::Worker);
  server.Get("/index.html", index, HandlerThread::Worker);
  server.Get(kAppPaths, index, HandlerThread::Worker);
  server.Get("/web/(.*)", file, HandlerThread::Worker);
  server.Get("/(assets/.*)", file, HandlerThread::Worker);
  server.Get(kTopLevelFiles, file, HandlerThread::Worker);
}

}  // namespace tarnwick
