#include "server/RequestGuard.h"

#include <sys/random.h>

#include <algorithm>
#include <cctype>

namespace tarnwick {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsLoopbackName(std::string_view host) {
  return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

// True when authority ("host" or "host:port", any case) names this server.
bool IsOwnAuthority(std::string_view authority, const GuardPolicy& policy) {
  const std::string text = Lower(Trim(authority));
  std::string host = text;
  std::string port;
  const size_t colon = text.rfind(':');
  const size_t bracket = text.rfind(']');
  if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (port.empty() ? policy.port != 80 : port != std::to_string(policy.port)) return false;
  if (IsLoopbackName(host)) return true;
  return std::find(policy.hostNames.begin(), policy.hostNames.end(), host) !=
         policy.hostNames.end();
}

// True when origin is "http://" followed by one of our authorities.
bool IsOwnOrigin(std::string_view origin, const GuardPolicy& policy) {
  constexpr std::string_view kScheme = "http://";
  const std::string text = Lower(Trim(origin));
  if (text.rfind(kScheme, 0) != 0) return false;
  const std::string_view authority = std::string_view(text).substr(kScheme.size());
  if (authority.find('/') != std::string_view::npos) return false;
  return IsOwnAuthority(authority, policy);
}

// JSON, or raw bytes for file uploads: types that no HTML form can send, so a
// browser sends them cross-site only after a preflight that we never grant.
bool IsChangeBodyType(std::string_view contentType) {
  const std::string media = Lower(Trim(contentType.substr(0, contentType.find(';'))));
  return media == "application/json" || media == "application/octet-stream";
}

std::optional<Refusal> CheckRead(const GuardedRequest& request, const GuardPolicy& policy) {
  if (request.origin && !IsOwnOrigin(*request.origin, policy))
    return Refusal{403, "Pages of other sites may not read from the program."};
  if (!request.fetchSite) return std::nullopt;
  const std::string site = Lower(*request.fetchSite);
  if (site == "same-origin" || site == "none") return std::nullopt;
  // The user following a link from elsewhere to the program's page.
  const bool navigation = request.fetchMode && Lower(*request.fetchMode) == "navigate" &&
                          (!request.fetchDest || Lower(*request.fetchDest) == "document");
  if (navigation) return std::nullopt;
  return Refusal{403, "Pages of other sites may not read from the program."};
}

std::optional<Refusal> CheckWrite(const GuardedRequest& request, const GuardPolicy& policy) {
  if (request.origin) {
    if (!IsOwnOrigin(*request.origin, policy))
      return Refusal{403, "Only the program's own page may change it (foreign Origin)."};
  } else if (!request.fetchSite || Lower(*request.fetchSite) != "same-origin") {
    return Refusal{403, "Only the program's own page may change it (no Origin)."};
  }
  if (!request.contentType || !IsChangeBodyType(*request.contentType))
    return Refusal{403, "Changes are sent as application/json (files as application/octet-stream)."};
  if (!request.csrfToken || policy.token.empty() ||
      !ConstantTimeEquals(*request.csrfToken, policy.token))
    return Refusal{403, "The request lacks the page's X-CSRF-Token; reload the page."};
  return std::nullopt;
}

}  // namespace

bool IsStateChanging(std::string_view method) {
  return method != "GET" && method != "HEAD";
}

std::optional<Refusal> CheckRequest(const GuardedRequest& request, const GuardPolicy& policy) {
  if (request.ambiguous) return Refusal{400, "A header that decides access was sent twice."};
  if (!request.host || !IsOwnAuthority(*request.host, policy))
    return Refusal{421, "This server answers only to its own address (Host)."};
  const std::string& method = request.method;
  if (method == "GET" || method == "HEAD") {
    if (request.hasBody) return Refusal{400, "A read request has no body."};
    return CheckRead(request, policy);
  }
  if (method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE")
    return CheckWrite(request, policy);
  return Refusal{405, "Method not allowed."};
}

std::vector<std::string> ParseHostNames(std::string_view text) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(", \t", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string name = Lower(text.substr(start, end - start));
    const bool valid = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
    });
    if (valid) names.push_back(name);
    start = end + 1;
  }
  return names;
}

std::string NewCsrfToken() {
  unsigned char bytes[32];
  size_t filled = 0;
  while (filled < sizeof bytes) {
    const ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (n > 0) filled += static_cast<size_t>(n);
  }
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace tarnwick
