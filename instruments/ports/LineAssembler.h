#pragma once
// Turns the byte stream of an NMEA 0183 port into sentences: a line starts at
// '$' or '!' and ends at CR or LF; whatever does not fit that shape is handed
// on as unrecognised data with a diagnostic saying why. A byte 0xA0 switches
// to SiRF binary framing until one frame is complete.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "instruments/ReceiveTime.h"
#include "instruments/ports/SirfFrame.h"

namespace tarnwick {

class ILineSink {
 public:
  virtual ~ILineSink() = default;
  // A complete sentence ending in CR LF; received: when its first character arrived.
  virtual void OnSentence(std::string_view sentence, const ReceiveTime& received) = 0;
  // Bytes that are not a sentence (as received; line ends appended when a line end closed them).
  virtual void OnUnrecognised(std::string_view data) = 0;
  // Why the preceding unrecognised data was not a sentence.
  virtual void OnDiagnostic(std::string_view text) = 0;
  // The checked payload of a SiRF binary frame (message id first).
  virtual void OnSirfFrame(std::span<const uint8_t> payload) = 0;
};

class CLineAssembler {
 public:
  static constexpr size_t kMaxLine = 1021;  // characters of one line before CR LF

  // Feeds received bytes; calls sink for each complete item. Reads the clock
  // once per sentence start.
  void Feed(std::span<const uint8_t> bytes, ILineSink& sink);
  void Feed(std::string_view text, ILineSink& sink) {
    Feed(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), sink);
  }
  // Forgets a partial line and any partial binary frame (the port reopened).
  void Reset();

  // The characters of the current, unfinished line.
  std::string_view PendingLine() const { return line_; }

 private:
  void FeedText(uint8_t byte, ILineSink& sink);
  void FeedBinary(uint8_t byte, ILineSink& sink);
  void Append(uint8_t byte, ILineSink& sink);
  void EndLine(uint8_t byte, ILineSink& sink);

  std::string line_;
  uint8_t previous_ = 0;
  bool discard_ = true;  // set after a line end, cleared by the next '$' or '!'
  bool binary_ = false;
  ReceiveTime lineStart_;
  CSirfFrameParser sirf_;
};

// How the data monitor shows unrecognised data: "UNKNOWN:" and the text, or
// "UNKNOWN:" and each byte as " %02x" when it holds unprintable characters; a
// block framed by backslashes is shown as it stands. A trailing CR LF is not shown.
std::string FormatUnrecognised(std::string_view data);

}  // namespace tarnwick
