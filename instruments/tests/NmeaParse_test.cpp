#include "instruments/nmea/NmeaParse.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "instruments/nmea/NmeaFieldReaders.h"

namespace tarnwick {
namespace {

// A sentence of exactly length characters (CR LF included) with a good checksum.
std::string SentenceOfLength(size_t length) {
  std::string body = "GPTXT,01,01,02,";
  const size_t fixed = 1 + body.size() + 3 + 2;  // '$', body, "*hh", CR LF
  body.append(length - fixed, 'x');
  char sum[4];
  snprintf(sum, sizeof sum, "*%02X", NmeaChecksum(body));
  return "$" + body + sum + "\r\n";
}

struct FramingCase {
  const char* name;
  std::string sentence;
  bool accepted;
  const char* logStart;  // start of the refusal line, "" when accepted
};

TEST(NmeaParse, FramingAndChecksum) {
  const FramingCase cases[] = {
      {"good checksum", "$GPHDT,123.4,T*31", true, ""},
      {"good checksum with CR LF", "$GPHDT,123.4,T*31\r\n", true, ""},
      {"lower-case hex", "$HEHDT,4.0,T*2b", true, ""},
      {"upper-case hex", "$HEHDT,4.0,T*2B", true, ""},
      {"no checksum at all", "$GPHDT,123.4,T", true, ""},
      {"AIS start character", "!AIVDM,1,1,,A,13aGmP0P00PD;88MD5MTDww@2<0L,0*23", true, ""},
      {"one checksum character", "$GPHDT,123.4,T*3", false,
       "DecodeNMEA: invalid checksum specification: '$GPHDT,123.4,T*3'"},
      {"star only", "$GPHDT,123.4,T*", false, "DecodeNMEA: invalid checksum specification"},
      {"wrong checksum", "$GPHDT,123.4,T*32", false,
       "DecodeNMEA: bad checksum: '$GPHDT,123.4,T*32' (is 32 should be 31)"},
      {"checksum over start character is wrong", "$GPHDT,123.4,T*15", false,
       "DecodeNMEA: bad checksum"},
      {"no start character", "GPHDT,123.4,T*31", false,
       "ParseNMEA: sentence must start with $ or !: 'GPHDT,123.4,T*31'"},
      {"empty", "", false, "ParseNMEA: sentence must start with $ or !"},
      {"exactly 1024 characters", SentenceOfLength(1024), true, ""},
      {"1025 characters", SentenceOfLength(1025), false, "ParseNMEA: sentence is too long"},
  };
  NmeaFields fields;  // reused, as the decoder's callers do
  for (const FramingCase& c : cases) {
    SCOPED_TRACE(c.name);
    CLogCapture capture;
    EXPECT_EQ(ParseNMEA(c.sentence, fields), c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(capture.Lines().empty());
      EXPECT_GE(fields.Count(), 1u);
    } else {
      EXPECT_EQ(fields.Count(), 0u) << "a refused sentence leaves no fields";
      ASSERT_EQ(capture.Lines().size(), 1u);
      EXPECT_EQ(capture.Lines()[0].rfind(c.logStart, 0), 0u) << capture.Lines()[0];
    }
  }
}

TEST(NmeaParse, SplitKeepsEmptyFieldsAndDropsChecksum) {
  NmeaFields fields;
  ASSERT_TRUE(ParseNMEA("$GPGLL,,,,,,V,N*64\r\n", fields));
  EXPECT_EQ(fields.start, '$');
  EXPECT_TRUE(fields.hasChecksum);
  ASSERT_EQ(fields.Count(), 8u);
  EXPECT_EQ(fields[0], "GPGLL");
  for (size_t i = 1; i <= 5; ++i) EXPECT_EQ(fields[i], "");
  EXPECT_EQ(fields[6], "V");
  EXPECT_EQ(fields[7], "N");
  EXPECT_EQ(fields[99], "");
  // A CR inside the sentence ends the fields and the checksum.
  ASSERT_TRUE(ParseNMEA("$GPHDT,123.4,T\r,9*31", fields));
  EXPECT_EQ(fields.Count(), 3u);
  EXPECT_EQ(fields[2], "T");
}

TEST(NmeaParse, AddressSplit) {
  struct Case {
    const char* address;
    bool ok;
    bool proprietary;
    const char* talker;
    const char* formatter;
  };
  const Case cases[] = {
      {"GPRMC", true, false, "GP", "RMC"}, {"PGRME", true, true, "GRM", "E"},
      {"PSAT", true, true, "SAT", ""},     {"IIXDR", true, false, "II", "XDR"},
      {"GPR", false, false, "", ""},       {"", false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    NmeaAddress address;
    ASSERT_EQ(SplitNmeaAddress(c.address, address), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(address.proprietary, c.proprietary);
    EXPECT_EQ(address.talker, c.talker);
    EXPECT_EQ(address.formatter, c.formatter);
  }
}

TEST(NmeaFieldReaders, NumbersAndAngles) {
  EXPECT_EQ(NmeaNumber("12.5"), 12.5);
  EXPECT_EQ(NmeaNumber("-3"), -3.0);
  EXPECT_EQ(NmeaNumber("+0.25"), 0.25);
  EXPECT_FALSE(NmeaNumber(""));
  EXPECT_FALSE(NmeaNumber("12.5x"));
  EXPECT_FALSE(NmeaNumber("1e5"));
  EXPECT_FALSE(NmeaNumber("nan"));
  EXPECT_EQ(NmeaInteger("08"), 8);
  EXPECT_FALSE(NmeaInteger("8.0"));

  struct AngleCase {
    const char* field;
    const char* hemisphere;
    double degrees;
  };
  const AngleCase angles[] = {
      {"4807.038", "N", 48.1173},
      {"01131.000", "E", 11.516666667},
      {"3751.65", "S", -37.8608333},
      {"14507.36", "W", -145.1226667},
      {"0000.00", "N", 0.0},
      {"4807.038x", "N", 0.0},
      {"", "N", 0.0},
  };
  for (const AngleCase& a : angles) {
    SCOPED_TRACE(a.field);
    EXPECT_NEAR(NmeaAngle(a.field, a.hemisphere), a.degrees, 1e-6);
  }
  EXPECT_EQ(NmeaDecimals("4807.038"), 3);
  EXPECT_EQ(NmeaDecimals("4807"), 0);
  EXPECT_EQ(NmeaDecimals("4807.03812"), 5);
  EXPECT_EQ(NmeaUnescape("A^2CB^5e^zz"), "A,B^^zz");
}

}  // namespace
}  // namespace tarnwick
