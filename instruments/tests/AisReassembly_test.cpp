// Reassembly of multi-fragment messages per radio channel, and the light
// VDM/VDO framing used by the tools.

#include <gtest/gtest.h>

#include <vector>

#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"
#include "instruments/tests/AisTestMessages.h"

namespace tarnwick {
namespace {

using testing::AisPayload;
using testing::Fragment;

// Records the MMSIs of the messages the receiver completes.
struct Recorder {
  CAisReceiver receiver;
  std::vector<uint32_t> mmsis;
  Recorder() {
    receiver.SetMessageObserver([this](const AisMessage& m) { mmsis.push_back(m.mmsi); });
  }
  void Feed(const VdmFragment& f) { receiver.DecodeVDM(nullptr, {1000, 0}, f); }
};

// A 424-bit static report split in two fragments (the second one carries the fill bits).
struct TwoPart {
  AisPayload first, second;
};
TwoPart Split(uint32_t mmsi) {
  const AisPayload whole = testing::StaticVoyage(mmsi, "SPLIT", 70).Payload();
  return {{whole.text.substr(0, 40), 0}, {whole.text.substr(40), whole.fillBits}};
}

TEST(AisReassembly, InterleavedOnTwoChannelsBothComplete) {
  Recorder r;
  const TwoPart a = Split(111000001), b = Split(111000002);
  r.Feed(Fragment(a.first, 2, 1, 3, 'A'));
  r.Feed(Fragment(b.first, 2, 1, 4, 'B'));
  r.Feed(Fragment(a.second, 2, 2, 3, 'A'));
  r.Feed(Fragment(b.second, 2, 2, 4, 'B'));
  EXPECT_EQ(r.mmsis, (std::vector<uint32_t>{111000001, 111000002}));
}

TEST(AisReassembly, SlotRules) {
  const TwoPart a = Split(111000001), b = Split(111000002);
  struct Row {
    const char* what;
    std::vector<VdmFragment> fragments;
    std::vector<uint32_t> completed;
  };
  const Row rows[] = {
      {"interleaved on one channel: the first is lost",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(b.first, 2, 1, 4, 'A'),
        Fragment(a.second, 2, 2, 3, 'A'), Fragment(b.second, 2, 2, 4, 'A')},
       {}},
      {"second interleaved message survives when its fragments are adjacent",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(b.first, 2, 1, 4, 'A'),
        Fragment(b.second, 2, 2, 4, 'A')},
       {111000002}},
      {"fragment 2 without fragment 1", {Fragment(a.second, 2, 2, 3, 'A')}, {}},
      {"channels 1 and A share a slot",
       {Fragment(a.first, 2, 1, 3, '1'), Fragment(a.second, 2, 2, 3, 'A')},
       {111000001}},
      {"channels A and B do not",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(a.second, 2, 2, 3, 'B')},
       {}},
      {"an unknown channel uses slot 0",
       {Fragment(a.first, 2, 1, 3, 0), Fragment(a.second, 2, 2, 3, 'C')},
       {111000001}},
      {"sequence id must match",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(a.second, 2, 2, 5, 'A')},
       {}},
      {"VDO does not continue VDM",
       {Fragment(a.first, 2, 1, 3, 'A', false), Fragment(a.second, 2, 2, 3, 'A', true)},
       {}},
      {"a repeated fragment 1 restarts",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(a.first, 2, 1, 3, 'A'),
        Fragment(a.second, 2, 2, 3, 'A')},
       {111000001}},
      {"a skipped number discards",
       {Fragment(a.first, 3, 1, 3, 'A'), Fragment(a.second, 3, 3, 3, 'A')},
       {}},
      {"a fragment count that changes discards",
       {Fragment(a.first, 2, 1, 3, 'A'), Fragment(a.second, 3, 2, 3, 'A')},
       {}},
  };
  for (const Row& row : rows) {
    Recorder r;
    for (const VdmFragment& f : row.fragments) r.Feed(f);
    EXPECT_EQ(r.mmsis, row.completed) << row.what;
  }
}

TEST(AisReassembly, UnfinishedMessageWaitsWithoutTimeOut) {
  Recorder r;
  const TwoPart a = Split(111000001);
  r.Feed(Fragment(a.first, 2, 1, 3, 'B'));
  // Any amount of traffic on the other channel leaves slot B alone.
  const AisPayload single = testing::PositionA(222000001, 53, 5, 10, 90).Payload();
  for (int i = 0; i < 100; ++i) r.Feed(Fragment(single, 1, 1, 0, 'A'));
  r.Feed(Fragment(a.second, 2, 2, 3, 'B'));
  ASSERT_EQ(r.mmsis.size(), 101U);
  EXPECT_EQ(r.mmsis.back(), 111000001U);
}

TEST(AisReassembly, FillBitsAreRemoved) {
  Recorder r;
  // 168 bits armour to 28 characters exactly; one more character with 6 fill
  // bits is still a 168-bit message, with 5 fill bits it is 169 bits and dropped.
  AisPayload p = testing::PositionA(222000001, 53, 5, 10, 90).Payload();
  p.text += '0';
  p.fillBits = 6;
  r.Feed(Fragment(p));
  p.fillBits = 5;
  r.Feed(Fragment(p));
  EXPECT_EQ(r.mmsis, (std::vector<uint32_t>{222000001}));
}

TEST(AisReassembly, MalformedPayloadsNeverCrash) {
  Recorder r;
  const std::string garbage[] = {"", "!", "\x7f\x80\xff", std::string(2000, 'w'), "1"};
  for (const std::string& text : garbage) {
    VdmFragment f;
    f.count = 1;
    f.number = 1;
    f.payload = text;
    f.fillBits = 7;
    r.Feed(f);
  }
  EXPECT_TRUE(r.mmsis.empty());
}

TEST(VdmSentence, Framing) {
  struct Row {
    const char* line;
    bool ok;
    int count, number, id;
    char channel;
    bool own;
  };
  const Row rows[] = {
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A", true, 1, 1, 0, 'A', false},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n", true, 1, 1, 0, 'A', false},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4B", false, 0, 0, 0, 0, false},
      {"!AIVDM,2,1,6,A,8>qc9wiKf>d=Cq5r0mdew:?DLq>1LmhHrsqmBCKnJ50,0*30", true, 2, 1, 6, 'A',
       false},
      {"!AIVDM,1,1,,B,:6TMCD1GOS60,0*5B,s36310,d-081,T59.01777335", true, 1, 1, 0, 'B', false},
      {"\\s:2573145,c:1325394060*0F\\!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A", true, 1, 1,
       0, 'A', false},
      {"!AIVDO,1,1,,,B52K>;h00Fc>jpUlNV@ikwpUoP06,0*0F", true, 1, 1, 0, 0, true},
      {"!AIVDM,2,3,1,A,00,0*hh", false, 0, 0, 0, 0, false},
      {"$GPRMC,1,2,3,4,5,6", false, 0, 0, 0, 0, false},
      {"!AIVDM,1,1,,A,15RTgt,8", false, 0, 0, 0, 0, false},
      {"!AIVDM,1,1,,A,15RTgt", false, 0, 0, 0, 0, false},
      {"!AIVDM,0,0,,A,15RTgt,0", false, 0, 0, 0, 0, false},
      {"!AIVDM,1,1,10,A,15RTgt,0", false, 0, 0, 0, 0, false},
      {"", false, 0, 0, 0, 0, false},
  };
  for (const Row& row : rows) {
    const std::optional<VdmFragment> f = ParseVdmSentence(row.line);
    ASSERT_EQ(f.has_value(), row.ok) << row.line;
    if (!f) continue;
    EXPECT_EQ(f->count, row.count) << row.line;
    EXPECT_EQ(f->number, row.number) << row.line;
    EXPECT_EQ(f->sequenceId, row.id) << row.line;
    EXPECT_EQ(f->channel, row.channel) << row.line;
    EXPECT_EQ(f->ownVessel, row.own) << row.line;
  }
}

}  // namespace
}  // namespace tarnwick
