#pragma once
// The web user interface's files from a folder (ProgramFolder()/web): "/" and
// the single-page app's own paths answer index.html (with the server's
// token), "/assets/..." and "/web/..." the files with their content types.
// Paths with ".." or that
// leave the folder, directories and unknown files answer 404. Hashed assets
// are cached for a year; everything else is revalidated.

#include <filesystem>
#include <string>
#include <string_view>

#include "server/HttpServer.h"

namespace tarnwick {

class CStaticFiles {
 public:
  static void Mount(CHttpServer& server, std::filesystem::path root);

  // Answers the file at relative (as in the URL, without the leading '/').
  static HttpResponse Serve(const std::filesystem::path& root, std::string_view relative);
  // Answers index.html with <meta name="csrf-token" content="token"> at the
  // start of its head, which the page sends back with every change.
  static HttpResponse ServeIndex(const std::filesystem::path& root, const std::string& token);
  // "text/javascript; charset=utf-8" and the like by the name's extension;
  // "application/octet-stream" for unknown ones.
  static std::string ContentType(std::string_view name);
  // True when the relative path is safe to look up: no "..", no empty or
  // hidden segments, no backslashes or NUL.
  static bool IsSafePath(std::string_view relative);
};

}  // namespace tarnwick
