#pragma once
// NAVTEX messages received in this run (NRX sentences joined by the decoder),
// newest last, for the NAVTEX page. Thread-safe: ports add, pages read.

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tarnwick {

struct NavtexMessage {
  uint64_t id = 0;    // 1, 2, ... in the order received
  int64_t utcMs = 0;  // when it was complete
  std::string port;   // the receiving port's label
  std::string code;   // the message identifier: station, subject, serial number ("FA12")
  std::string text;   // lines joined with CR LF
};

class CNavtexMessages {
 public:
  static constexpr size_t kKept = 500;

  // Keeps a message (the oldest beyond kKept are dropped); returns its id.
  uint64_t Add(std::string port, std::string code, std::string text, int64_t utcMs);
  // The kept messages, oldest first.
  std::vector<NavtexMessage> All() const;

 private:
  mutable std::mutex mutex_;
  std::deque<NavtexMessage> messages_;
  uint64_t nextId_ = 1;
};

// The program's messages.
CNavtexMessages& NavtexMessages();

// The parts of a NAVTEX message identifier "B1B2B3B4": the station letter,
// the subject letter and its meaning, the serial number; empty members when
// the identifier is not of that form.
struct NavtexCode {
  char station = 0;
  char subject = 0;
  const char* subjectText = "";  // "Navigational warning", ...
  int serial = -1;
};
NavtexCode ParseNavtexCode(const std::string& code);

}  // namespace tarnwick
