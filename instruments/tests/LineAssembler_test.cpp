#include "instruments/ports/LineAssembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Clock.h"

namespace tarnwick {
namespace {

// Records what the assembler hands on as "S:", "U:", "D:" and "F:" items.
class CRecordingSink : public ILineSink {
 public:
  void OnSentence(std::string_view sentence, const ReceiveTime& received) override {
    items.push_back("S:" + std::string(sentence));
    times.push_back(received);
  }
  void OnUnrecognised(std::string_view data) override { items.push_back("U:" + std::string(data)); }
  void OnDiagnostic(std::string_view text) override { items.push_back("D:" + std::string(text)); }
  void OnSirfFrame(std::span<const uint8_t> payload) override {
    items.push_back("F:" + SirfFrameText(payload));
  }
  std::vector<std::string> items;
  std::vector<ReceiveTime> times;
};

struct AssemblyCase {
  const char* name;
  std::string input;
  std::vector<std::string> expected;
};

std::string Repeat(char c, size_t n) {
  return std::string(n, c);
}

std::vector<AssemblyCase> Cases() {
  const std::string longBody = "$" + Repeat('A', 1099);  // 1100 characters
  const std::string fullLine = "$" + Repeat('B', 1020);  // exactly 1021
  return {
      {"clean sentence", "$GPGGA,1*00\r\n", {"S:$GPGGA,1*00\r\n"}},
      {"encapsulated sentence",
       "!AIVDM,1,1,,A,13aG?P,0*00\r\n",
       {"S:!AIVDM,1,1,,A,13aG?P,0*00\r\n"}},
      {"LF alone ends a line", "$A\n$B\n", {"S:$A\r\n", "S:$B\r\n"}},
      {"CR alone ends a line", "$A\r$B\r", {"S:$A\r\n", "S:$B\r\n"}},
      {"GGA interrupted by RMC",
       "$GPGGA,1234$GPRMC,1\r\n",
       {"U:$GPGGA,1234", "D:Received sentence start ($) in the middle of a line (11 chars in)",
        "S:$GPRMC,1\r\n"}},
      {"interrupted by an encapsulated start",
       "$GPGGA!AIVDM\r\n",
       {"U:$GPGGA", "D:Received sentence start (!) in the middle of a line (6 chars in)",
        "S:!AIVDM\r\n"}},
      {"characters between line end and start (CR)",
       "$A\r\njunk\r\n$B\r\n",
       {"S:$A\r\n", "U:junk\r\n", "D:Received CR when not expecting one", "S:$B\r\n"}},
      {"characters between line end and start (LF)",
       "$A\r\njunk\n",
       {"S:$A\r\n", "U:junk\r\n", "D:Received LF when not expecting one"}},
      {"double CR", "$A\r\r\n", {"S:$A\r\n", "U:\r\n", "D:Received CR when not expecting one"}},
      {"junk before the first start",
       "xx$A\r\n",
       {"U:xx", "D:Received sentence start ($) in the middle of a line (2 chars in)", "S:$A\r\n"}},
      {"PNTI keeps inner starts", "$PNTI,a$b!c\r\n", {"S:$PNTI,a$b!c\r\n"}},
      {"short PNTI prefix does not",
       "$PNT$X\r\n",
       {"U:$PNT", "D:Received sentence start ($) in the middle of a line (4 chars in)",
        "S:$X\r\n"}},
      {"tag block before a sentence", "\\s:r1*3A\\$GPGGA\r\n", {"U:\\s:r1*3A\\", "S:$GPGGA\r\n"}},
      {"line of 1100 characters",
       longBody + "\r\n",
       {"U:" + longBody.substr(0, 1021), "D:Received too many characters for one sentence (1021)",
        "U:" + longBody.substr(1021) + "\r\n", "D:Received CR when not expecting one"}},
      {"line of exactly 1021 characters", fullLine + "\r\n", {"S:" + fullLine + "\r\n"}},
      {"lone 0xA0 in text", "$A\r\n\xA0$B\r\n", {"S:$A\r\n", "S:$B\r\n"}},
  };
}

TEST(LineAssembler, AssemblesAndDiagnoses) {
  for (const auto& c : Cases()) {
    CLineAssembler assembler;
    CRecordingSink sink;
    assembler.Feed(c.input, sink);
    EXPECT_EQ(sink.items, c.expected) << c.name;
  }
}

TEST(LineAssembler, ResultDoesNotDependOnHowBytesArrive) {
  for (const auto& c : Cases()) {
    for (size_t split = 1; split < c.input.size(); split += 7) {
      CLineAssembler assembler;
      CRecordingSink sink;
      assembler.Feed(std::string_view(c.input).substr(0, split), sink);
      assembler.Feed(std::string_view(c.input).substr(split), sink);
      EXPECT_EQ(sink.items, c.expected) << c.name << " split at " << split;
    }
  }
}

TEST(LineAssembler, ReceiveTimeIsTakenAtTheSentenceStart) {
  CSimulatedClock clock(5000, 1'700'000'000'000);
  CScopedClock scoped(clock);
  CLineAssembler assembler;
  CRecordingSink sink;
  assembler.Feed("$GPGGA,1", sink);
  clock.Advance(250);
  assembler.Feed(",2*00\r\n", sink);
  ASSERT_EQ(sink.times.size(), 1u);
  EXPECT_EQ(sink.times[0].tickMs, 5000u);
  EXPECT_EQ(sink.times[0].utcMs, 1'700'000'000'000);
}

TEST(LineAssembler, ResetDropsThePartialLine) {
  CLineAssembler assembler;
  CRecordingSink sink;
  assembler.Feed("$GPGGA,12", sink);
  EXPECT_EQ(assembler.PendingLine(), "$GPGGA,12");
  assembler.Reset();
  assembler.Feed("34\r\n$GPRMC\r\n", sink);
  EXPECT_EQ(sink.items, (std::vector<std::string>{
                            "U:34\r\n", "D:Received CR when not expecting one", "S:$GPRMC\r\n"}));
}

std::string Bytes(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(LineAssembler, SirfFramesBetweenSentences) {
  const std::vector<uint8_t> payload = {0xC3, 0x8F, 0x01};
  std::string frame = Bytes(BuildSirfFrame(payload));
  ASSERT_EQ(frame.size(), 11u);
  EXPECT_EQ(static_cast<uint8_t>(frame[8]), 0x53);  // checksum low byte: 0xC3 + 0x8F + 0x01 = 0x153

  struct SirfCase {
    const char* name;
    std::string input;
    std::vector<std::string> expected;
  };
  std::string badChecksum = frame;
  badChecksum[8] = 0x54;
  std::string badEnd = frame;
  badEnd[10] = 0x00;
  const std::vector<SirfCase> cases = {
      {"good frame", "$A\r\n" + frame + "$B\r\n", {"S:$A\r\n", "F:c3,8f,01,", "S:$B\r\n"}},
      {"bad checksum is dropped", "$A\r\n" + badChecksum + "$B\r\n", {"S:$A\r\n", "S:$B\r\n"}},
      {"bad end is dropped", badEnd + "$B\r\n", {"S:$B\r\n"}},
      {"frame after a partial line keeps the line",
       "$GP" + frame + "GGA\r\n",
       {"F:c3,8f,01,", "S:$GPGGA\r\n"}},
  };
  for (const auto& c : cases) {
    CLineAssembler assembler;
    CRecordingSink sink;
    assembler.Feed(c.input, sink);
    EXPECT_EQ(sink.items, c.expected) << c.name;
  }
}

TEST(LineAssembler, SirfLogTextShowsAtMostOneHundredBytes) {
  std::vector<uint8_t> payload(150, 0xAB);
  const std::string text = SirfFrameText(payload);
  EXPECT_EQ(text.size(), 300u);
  EXPECT_EQ(text.substr(0, 6), "ab,ab,");
}

TEST(LineAssembler, SirfParserRefusesOversizedFrames) {
  // 1032 payload bytes fill the 1040-byte buffer exactly; 1033 do not fit.
  for (const auto& [low, step] : {std::pair{uint8_t{0x08}, CSirfFrameParser::Step::More},
                                  std::pair{uint8_t{0x09}, CSirfFrameParser::Step::Failed}}) {
    CSirfFrameParser parser;
    EXPECT_EQ(parser.Feed(0xA0), CSirfFrameParser::Step::More);
    EXPECT_EQ(parser.Feed(0xA2), CSirfFrameParser::Step::More);
    EXPECT_EQ(parser.Feed(0x04), CSirfFrameParser::Step::More);
    EXPECT_EQ(parser.Feed(low), step) << int(low);
  }
}

TEST(LineAssembler, UnrecognisedDataAsTheMonitorShowsIt) {
  const struct {
    std::string data;
    std::string shown;
  } cases[] = {
      {"junk\r\n", "UNKNOWN:junk"},
      {"$GPGGA,12", "UNKNOWN:$GPGGA,12"},
      {std::string("\x01\x02z", 3), "UNKNOWN: 01 02 7a"},
      {"\xff\r\n", "UNKNOWN: ff"},
      {"\\s:r1*3A\\", "\\s:r1*3A\\"},
      {"\r\n", "UNKNOWN:"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatUnrecognised(c.data), c.shown) << c.data;
}

}  // namespace
}  // namespace tarnwick
