#include "instruments/ports/LineAssembler.h"

#include <cstdio>

#include "core/Clock.h"

namespace tarnwick {
namespace {

constexpr uint8_t kCR = '\r';
constexpr uint8_t kLF = '\n';

std::string MidLineText(uint8_t start, size_t charsIn) {
  char text[96];
  snprintf(text, sizeof text, "Received sentence start (%c) in the middle of a line (%d chars in)",
           start, static_cast<int>(charsIn));
  return text;
}

}  // namespace

void CLineAssembler::Reset() {
  line_.clear();
  previous_ = 0;
  discard_ = true;
  binary_ = false;
  sirf_.Reset();
}

void CLineAssembler::Feed(std::span<const uint8_t> bytes, ILineSink& sink) {
  if (line_.capacity() < kMaxLine + 3) line_.reserve(kMaxLine + 3);
  for (uint8_t byte : bytes) {
    if (binary_)
      FeedBinary(byte, sink);
    else
      FeedText(byte, sink);
  }
}

void CLineAssembler::FeedBinary(uint8_t byte, ILineSink& sink) {
  switch (sirf_.Feed(byte)) {
    case CSirfFrameParser::Step::More:
      return;
    case CSirfFrameParser::Step::Complete:
      sink.OnSirfFrame(sirf_.Payload());
      break;
    case CSirfFrameParser::Step::Failed:
      // A lone 0xA0 in text: the byte after it belongs to the text again.
      if (sirf_.Size() == 2) {
        binary_ = false;
        sirf_.Reset();
        FeedText(byte, sink);
        return;
      }
      break;
  }
  binary_ = false;
  sirf_.Reset();
  previous_ = 0;
}

void CLineAssembler::FeedText(uint8_t byte, ILineSink& sink) {
  if (byte == kSirfStart1) {
    binary_ = true;
    sirf_.Reset();
    sirf_.Feed(byte);
    return;
  }
  if (byte == '$' || byte == '!') {
    if (line_.size() >= 5 && line_.compare(0, 5, "$PNTI") == 0) {
      Append(byte, sink);
    } else {
      if (!line_.empty()) {
        sink.OnUnrecognised(line_);
        if (line_.back() != '\\') sink.OnDiagnostic(MidLineText(byte, line_.size()));
        line_.clear();
      }
      line_.push_back(static_cast<char>(byte));
      discard_ = false;
      lineStart_ = {TickCount(), UtcNowMs()};
    }
  } else if (byte == kLF && previous_ == kCR) {
    // The LF of a CR LF pair: the CR already ended the line.
  } else if (byte == kCR || byte == kLF) {
    EndLine(byte, sink);
  } else {
    Append(byte, sink);
  }
  previous_ = byte;
}

void CLineAssembler::Append(uint8_t byte, ILineSink& sink) {
  if (line_.size() >= kMaxLine) {
    sink.OnUnrecognised(line_);
    sink.OnDiagnostic("Received too many characters for one sentence (" +
                      std::to_string(line_.size()) + ")");
    discard_ = true;
    line_.clear();
  }
  line_.push_back(static_cast<char>(byte));
}

void CLineAssembler::EndLine(uint8_t byte, ILineSink& sink) {
  line_ += "\r\n";
  if (!discard_) {
    sink.OnSentence(line_, lineStart_);
  } else {
    sink.OnUnrecognised(line_);
    sink.OnDiagnostic(byte == kCR ? "Received CR when not expecting one"
                                  : "Received LF when not expecting one");
  }
  discard_ = true;
  line_.clear();
}

std::string FormatUnrecognised(std::string_view data) {
  if (data.size() >= 2 && data.substr(data.size() - 2) == "\r\n") data.remove_suffix(2);
  if (data.size() >= 2 && data.front() == '\\' && data.back() == '\\') return std::string(data);
  bool printable = true;
  for (unsigned char c : data)
    if (c < 0x20 || c > 0x7E) printable = false;
  std::string text = "UNKNOWN:";
  if (printable) return text + std::string(data);
  char hex[4];
  for (unsigned char c : data) {
    snprintf(hex, sizeof hex, " %02x", c);
    text += hex;
  }
  return text;
}

}  // namespace tarnwick
