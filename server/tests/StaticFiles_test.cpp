// The front end's files: index.html for "/" and the app's own paths, assets
// with content types and cache headers, and refusal of paths that leave the
// folder, hidden files, directories and unknown files.

#include "server/StaticFiles.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>

#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using namespace ::tarnwick::testing;

class StaticFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    web_ = temp_ / "web";
    std::filesystem::create_directories(web_ / "assets");
    WriteFile(web_ / "index.html", "<!DOCTYPE html><title>ECS</title>");
    WriteFile(web_ / "assets" / "index-B3xk2Z9a.js", "console.log(1)");
    WriteFile(web_ / "assets" / "style.css", "body{}");
    WriteFile(web_ / "favicon.svg", "<svg/>");
    WriteFile(web_ / ".env", "secret");
    WriteFile(temp_ / "outside.txt", "outside");
    std::filesystem::create_symlink(temp_ / "outside.txt", web_ / "assets" / "link.txt");
    CStaticFiles::Mount(server_, web_);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }

  CTempFolder temp_;
  std::filesystem::path web_;
  CHttpServer server_;
};

TEST_F(StaticFilesTest, ServesFilesAndAppPaths) {
  httplib::Client client("127.0.0.1", server_.Port());
  struct Row {
    const char* path;
    int status;
    const char* type;
    const char* body;   // start of the body
    const char* cache;  // Cache-Control, or "" when not checked
  };
  const Row rows[] = {
      {"/", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", "no-store"},
      {"/index.html", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", "no-store"},
      {"/settings", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", "no-store"},
      {"/ais/244123456", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", ""},
      {"/recordings", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", ""},
      {"/logbook", 200, "text/html; charset=utf-8", "<!DOCTYPE html>", ""},
      {"/assets/index-B3xk2Z9a.js", 200, "application/javascript; charset=utf-8", "console",
       "public, max-age=31536000, immutable"},
      {"/web/assets/index-B3xk2Z9a.js", 200, "application/javascript; charset=utf-8", "console",
       ""},
      {"/assets/style.css", 200, "text/css; charset=utf-8", "body", "no-cache"},
      {"/favicon.svg", 200, "image/svg+xml", "<svg", ""},
      {"/assets/nothing.js", 404, "", "", ""},
      {"/assets/", 404, "", "", ""},
      {"/web/", 404, "", "", ""},
      {"/web/.env", 404, "", "", ""},
      {"/assets/../../outside.txt", 404, "", "", ""},
      {"/web/assets/%2e%2e/%2e%2e/outside.txt", 404, "", "", ""},
      {"/web/..%2f..%2foutside.txt", 404, "", "", ""},
      {"/assets/link.txt", 404, "", "", ""},
      {"/browser/log", 404, "", "", ""},  // left to the log controller
  };
  for (const Row& row : rows) {
    auto answer = client.Get(row.path);
    ASSERT_TRUE(answer) << row.path;
    EXPECT_EQ(answer->status, row.status) << row.path;
    if (row.status != 200) continue;
    EXPECT_EQ(answer->get_header_value("Content-Type"), row.type) << row.path;
    EXPECT_EQ(answer->body.rfind(row.body, 0), 0u) << row.path;
    if (*row.cache) {
      EXPECT_EQ(answer->get_header_value("Cache-Control"), row.cache) << row.path;
    }
  }
  // The page carries the server's token, right after the doctype here.
  EXPECT_EQ(client.Get("/")->body, "<!DOCTYPE html><meta name=\"csrf-token\" content=\"" +
                                       server_.CsrfToken() + "\" /><title>ECS</title>");
}

// The bundled script is large; compressing it per request with brotli took
// seconds, so it goes out as it is even to a browser that accepts brotli.
TEST_F(StaticFilesTest, ScriptsAreSentUncompressed) {
  std::string script;
  for (int i = 0; script.size() < 400000; ++i)
    script += "var v" + std::to_string(i) + "=" + std::to_string(i * 7919) + ";";
  WriteFile(web_ / "assets" / "app-Big1.js", script);
  httplib::Client client("127.0.0.1", server_.Port());
  auto answer = client.Get("/assets/app-Big1.js", {{"Accept-Encoding", "br, gzip, deflate"}});
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_FALSE(answer->has_header("Content-Encoding"));
  EXPECT_EQ(answer->body.size(), script.size());
}

TEST_F(StaticFilesTest, MissingFrontEndExplainsItself) {
  std::filesystem::remove(web_ / "index.html");
  auto answer = httplib::Client("127.0.0.1", server_.Port()).Get("/");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 503);
  EXPECT_NE(answer->body.find("browser interface is not installed"), std::string::npos);
}

TEST(StaticFilesRules, SafePathsAndTypes) {
  struct Row {
    const char* path;
    bool safe;
  };
  const Row paths[] = {{"index.html", true},    {"assets/a.js", true}, {"", false},
                       {"../x", false},         {"a/../b", false},     {"a//b", false},
                       {"a/", false},           {".hidden", false},    {"a\\b", false},
                       {"a/.git/config", false}};
  for (const Row& row : paths) EXPECT_EQ(CStaticFiles::IsSafePath(row.path), row.safe) << row.path;
  EXPECT_FALSE(CStaticFiles::IsSafePath(std::string_view("a\0b", 3)));

  const std::pair<const char*, const char*> types[] = {
      {"a.JS", "application/javascript; charset=utf-8"},
      {"a.mjs", "application/javascript; charset=utf-8"},
      {"a.woff2", "font/woff2"},
      {"a.png", "image/png"},
      {"a.json", "application/json; charset=utf-8"},
      {"a", "application/octet-stream"},
      {"a.exe", "application/octet-stream"}};
  for (const auto& [name, type] : types) EXPECT_EQ(CStaticFiles::ContentType(name), type) << name;
}

}  // namespace
}  // namespace tarnwick
