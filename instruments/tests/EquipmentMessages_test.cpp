// Equipment alarms' acknowledgement sentence and the parts of NAVTEX message
// identifiers.

#include <gtest/gtest.h>

#include "instruments/nmea/NavtexMessages.h"
#include "instruments/ports/EquipmentAlarms.h"

namespace tarnwick {
namespace {

TEST(EquipmentAlarms, AcknowledgementSentenceOfAnAlrAlarm) {
  const std::pair<const char*, const char*> cases[] = {
      {"001", "$ECACK,001*52\r\n"},
      {"7", "$ECACK,7*54\r\n"},
      {"1234", ""},        // ALR alarm numbers have at most three digits
      {"12a", ""},         // ... and only digits
      {"SYS:1:0:22", ""},  // an ALA alarm's key
      {"", ""},
  };
  for (const auto& [id, sentence] : cases)
    EXPECT_EQ(FormatAlarmAcknowledgement(id), sentence) << id;
}

TEST(NavtexMessages, IdentifierPartsAndTheKeptNumber) {
  const NavtexCode gale = ParseNavtexCode("FB12");
  EXPECT_EQ(gale.station, 'F');
  EXPECT_STREQ(gale.subjectText, "Meteorological warning");
  EXPECT_EQ(gale.serial, 12);
  for (const char* bad : {"FB1", "fb12", "F112", "FB1X", ""})
    EXPECT_EQ(ParseNavtexCode(bad).serial, -1) << bad;

  CNavtexMessages messages;
  for (size_t i = 0; i < CNavtexMessages::kKept + 2; ++i) messages.Add("NAVTEX", "FA01", "x", 0);
  const auto kept = messages.All();
  ASSERT_EQ(kept.size(), CNavtexMessages::kKept);
  EXPECT_EQ(kept.front().id, 3u) << "the oldest are dropped";
}

}  // namespace
}  // namespace tarnwick
