#pragma once
// Decides, before any route runs, whether a request may reach the program:
// the server listens on the loopback interface, but every web page the user's
// browser opens can send it requests, and a page whose name is re-pointed at
// 127.0.0.1 (DNS rebinding) could read the answers. The rules:
//
// - Host must name this server: 127.0.0.1, localhost or [::1] with our port,
//   or a host name the user has allowed (Network_HttpHostNames). Else 421.
// - A read (GET, HEAD) sent by a browser for another site's page (Origin of
//   another site; Sec-Fetch-Site other than same-origin or none) is refused,
//   except the user following a link to our page (a top-level navigation).
// - A request that may change state (POST, PUT, PATCH, DELETE) must come from
//   our own page: Origin one of ours (or, without Origin, Sec-Fetch-Site
//   same-origin), a JSON body type (raw bytes for file uploads) and the
//   per-run token in X-CSRF-Token.
// - Other methods (OPTIONS, TRACE, ...) are refused: no route answers them.
// - A read with a body, or a request that repeats one of these headers, is
//   refused (400) before its body is read.
//
// Pure functions of the request's headers; the server applies them to every
// request (server/HttpServer.cpp).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The headers the guard looks at; an absent header is an empty optional.
struct GuardedRequest {
  std::string method;
  std::optional<std::string> host;
  std::optional<std::string> origin;
  std::optional<std::string> fetchSite;  // Sec-Fetch-Site
  std::optional<std::string> fetchMode;  // Sec-Fetch-Mode
  std::optional<std::string> fetchDest;  // Sec-Fetch-Dest
  std::optional<std::string> contentType;
  std::optional<std::string> csrfToken;  // X-CSRF-Token
  bool hasBody = false;    // Content-Length above 0, or a Transfer-Encoding
  bool ambiguous = false;  // one of the headers above was sent more than once
};

struct GuardPolicy {
  int port = 0;                        // the port the server listens on
  std::vector<std::string> hostNames;  // further names the user allowed, lower case
  std::string token;                   // the per-run token of state-changing requests
};

struct Refusal {
  int status = 403;
  std::string message;  // for the user, one sentence
};

// Empty when the request may go on to its route.
std::optional<Refusal> CheckRequest(const GuardedRequest& request, const GuardPolicy& policy);

// True for methods that may change state: everything but GET and HEAD.
bool IsStateChanging(std::string_view method);

// The host names of a Network_HttpHostNames text: separated by commas or
// blanks, lower case; names with characters outside [a-z0-9.-] are left out.
std::vector<std::string> ParseHostNames(std::string_view text);

// A new random token: 32 bytes from the kernel's generator as 64 hex digits.
std::string NewCsrfToken();

// Compares in time independent of where the texts differ.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

}  // namespace tarnwick
