#include "instruments/nmea/NavtexMessages.h"

#include <cctype>

namespace tarnwick {
namespace {

// Subject indicator characters (B2) of the revised NAVTEX Manual (IMO MSC.1/Circ.1403).
const char* SubjectText(char subject) {
  switch (subject) {
    case 'A':
      return "Navigational warning";
    case 'B':
      return "Meteorological warning";
    case 'C':
      return "Ice report";
    case 'D':
      return "Search and rescue information, piracy warning, tsunami";
    case 'E':
      return "Meteorological forecast";
    case 'F':
      return "Pilot and VTS service message";
    case 'G':
      return "AIS service message";
    case 'H':
      return "LORAN message";
    case 'J':
      return "GNSS message";
    case 'K':
      return "Other electronic navigational aid message";
    case 'L':
      return "Navigational warning (additional)";
    case 'V':
    case 'W':
    case 'X':
    case 'Y':
      return "Special service";
    case 'Z':
      return "No messages on hand";
    default:
      return "";
  }
}

}  // namespace

uint64_t CNavtexMessages::Add(std::string port, std::string code, std::string text, int64_t utcMs) {
  std::lock_guard lock(mutex_);
  if (messages_.size() >= kKept) messages_.pop_front();
  const uint64_t id = nextId_++;
  messages_.push_back({id, utcMs, std::move(port), std::move(code), std::move(text)});
  return id;
}

std::vector<NavtexMessage> CNavtexMessages::All() const {
  std::lock_guard lock(mutex_);
  return {messages_.begin(), messages_.end()};
}

CNavtexMessages& NavtexMessages() {
  static CNavtexMessages messages;
  return messages;
}

NavtexCode ParseNavtexCode(const std::string& code) {
  NavtexCode parts;
  const auto upper = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  if (code.size() != 4 || !upper(code[0]) || !upper(code[1]) || !digit(code[2]) || !digit(code[3]))
    return parts;
  parts.station = code[0];
  parts.subject = code[1];
  parts.subjectText = SubjectText(code[1]);
  parts.serial = (code[2] - '0') * 10 + (code[3] - '0');
  return parts;
}

}  // namespace tarnwick
