// The request guard's rules as rows of requests and the status they get
// (0: the request goes on to its route).

#include "server/RequestGuard.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

struct Row {
  const char* what;
  GuardedRequest request;
  int status;
};

GuardedRequest Read(std::optional<std::string> host = "127.0.0.1:8213") {
  GuardedRequest r;
  r.method = "GET";
  r.host = std::move(host);
  return r;
}

GuardedRequest Write() {
  GuardedRequest r;
  r.method = "POST";
  r.host = "127.0.0.1:8213";
  r.origin = "http://127.0.0.1:8213";
  r.contentType = "application/json";
  r.csrfToken = kToken;
  r.hasBody = true;
  return r;
}

template <typename F>
GuardedRequest With(GuardedRequest r, F change) {
  change(r);
  return r;
}

TEST(RequestGuard, Rules) {
  GuardPolicy policy;
  policy.port = 8213;
  policy.hostNames = {"chartroom.lan"};
  policy.token = kToken;
  const Row rows[] = {
      {"page read", Read(), 0},
      {"localhost", Read("localhost:8213"), 0},
      {"IPv6 loopback", Read("[::1]:8213"), 0},
      {"host in capitals", Read("LocalHost:8213"), 0},
      {"allowed host name", Read("chartroom.lan:8213"), 0},
      {"rebound name", Read("evil.example:8213"), 421},
      {"no port", Read("127.0.0.1"), 421},
      {"other port", Read("127.0.0.1:8214"), 421},
      {"no Host", Read(std::nullopt), 421},
      {"trailing dot", Read("localhost.:8213"), 421},
      {"read from a foreign page", With(Read(), [](auto& r) { r.origin = "http://evil.example"; }), 403},
      {"foreign image", With(Read(), [](auto& r) {
         r.fetchSite = "cross-site"; r.fetchMode = "no-cors"; r.fetchDest = "image"; }), 403},
      {"foreign stream", With(Read(), [](auto& r) {
         r.fetchSite = "same-site"; r.fetchMode = "cors"; r.fetchDest = "empty"; }), 403},
      {"foreign frame", With(Read(), [](auto& r) {
         r.fetchSite = "cross-site"; r.fetchMode = "navigate"; r.fetchDest = "iframe"; }), 403},
      {"link from elsewhere", With(Read(), [](auto& r) {
         r.fetchSite = "cross-site"; r.fetchMode = "navigate"; r.fetchDest = "document"; }), 0},
      {"own page's fetch", With(Read(), [](auto& r) { r.fetchSite = "same-origin"; }), 0},
      {"read with a body", With(Read(), [](auto& r) { r.hasBody = true; }), 400},
      {"page write", Write(), 0},
      {"write by localhost", With(Write(), [](auto& r) {
         r.host = "localhost:8213"; r.origin = "http://localhost:8213"; }), 0},
      {"JSON with charset", With(Write(), [](auto& r) { r.contentType = "Application/JSON; charset=utf-8"; }), 0},
      {"same-origin without Origin", With(Write(), [](auto& r) {
         r.origin.reset(); r.fetchSite = "same-origin"; }), 0},
      {"foreign Origin", With(Write(), [](auto& r) { r.origin = "http://evil.example"; }), 403},
      {"Origin null", With(Write(), [](auto& r) { r.origin = "null"; }), 403},
      {"https Origin", With(Write(), [](auto& r) { r.origin = "https://127.0.0.1:8213"; }), 403},
      {"Origin with other port", With(Write(), [](auto& r) { r.origin = "http://127.0.0.1:9000"; }), 403},
      {"no Origin, no fetch metadata", With(Write(), [](auto& r) { r.origin.reset(); }), 403},
      {"no Origin, cross-site", With(Write(), [](auto& r) {
         r.origin.reset(); r.fetchSite = "cross-site"; }), 403},
      {"plain text body", With(Write(), [](auto& r) { r.contentType = "text/plain"; }), 403},
      {"form body", With(Write(), [](auto& r) {
         r.contentType = "application/x-www-form-urlencoded"; }), 403},
      {"no type", With(Write(), [](auto& r) { r.contentType.reset(); }), 403},
      {"no token", With(Write(), [](auto& r) { r.csrfToken.reset(); }), 403},
      {"wrong token", With(Write(), [](auto& r) { r.csrfToken = std::string(64, '0'); }), 403},
      {"delete", With(Write(), [](auto& r) { r.method = "DELETE"; }), 0},
      {"options", With(Write(), [](auto& r) { r.method = "OPTIONS"; }), 405},
      {"rebound write", With(Write(), [](auto& r) { r.host = "evil.example:8213"; }), 421},
      {"Host twice", With(Write(), [](auto& r) { r.ambiguous = true; }), 400},
  };
  for (const Row& row : rows) {
    const std::optional<Refusal> refusal = CheckRequest(row.request, policy);
    EXPECT_EQ(refusal ? refusal->status : 0, row.status) << row.what;
  }
  GuardPolicy noToken = policy;
  noToken.token.clear();
  EXPECT_TRUE(CheckRequest(With(Write(), [](auto& r) { r.csrfToken = ""; }), noToken));
}

TEST(RequestGuard, HostNamesAndTokens) {
  EXPECT_EQ(ParseHostNames(" Chartroom.LAN, nav-pc  bad/name,,x_y"),
            (std::vector<std::string>{"chartroom.lan", "nav-pc"}));
  const std::string a = NewCsrfToken(), b = NewCsrfToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace tarnwick
