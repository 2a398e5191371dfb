#pragma once
// Escaping of texts placed in XML element content and attribute values.

#include <string>
#include <string_view>

namespace tarnwick {

// Appends text to out with &, <, > and " escaped and CR kept as "&#13;" (a
// parser would otherwise fold CR LF into LF). Control characters XML cannot
// carry are dropped; bytes that are not valid UTF-8 are taken as Latin-1 and
// written as UTF-8, so the result always parses.
void AppendXmlEscaped(std::string& out, std::string_view text);
std::string XmlEscaped(std::string_view text);

}  // namespace tarnwick
