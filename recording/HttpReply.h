#pragma once
// What the recording pages and queries answer to an HTTP request: the server
// copies status, headers and body into its response.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct HttpHeader {
  std::string name;
  std::string value;
};

struct HttpReply {
  int status = 200;
  std::string contentType = "text/html";
  std::vector<HttpHeader> headers;
  std::string body;
};

// Decoded query parameters of a request, by name.
using QueryParams = std::map<std::string, std::string>;

// The text with &, <, >, " and ' replaced by their character references.
std::string EscapeHtml(std::string_view text);

}  // namespace tarnwick
