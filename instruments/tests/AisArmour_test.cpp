// Six-bit de-armouring, the bit store and field extraction.

#include <gtest/gtest.h>

#include "instruments/ais/AisBits.h"

namespace tarnwick {
namespace {

TEST(AisArmour, CharactersMapToSixBitValues) {
  struct Row {
    char c;
    int value;
  };
  const Row rows[] = {{'0', 0},  {'9', 9},  {':', 10}, {'@', 16}, {'A', 17},
                      {'W', 39}, {'`', 40}, {'a', 41}, {'w', 63}};
  for (const Row& row : rows) {
    EXPECT_EQ(DearmourChar(static_cast<unsigned char>(row.c)), row.value) << row.c;
    EXPECT_EQ(ArmourValue(row.value), row.c) << row.value;
  }
  for (int v = 0; v < 64; ++v)
    EXPECT_EQ(DearmourChar(static_cast<unsigned char>(ArmourValue(v))), v);
}

TEST(AisArmour, SixBitTextCharacters) {
  EXPECT_EQ(SixBitChar(0), '@');
  EXPECT_EQ(SixBitChar(1), 'A');
  EXPECT_EQ(SixBitChar(32), ' ');
  EXPECT_EQ(SixBitChar(48), '0');
  EXPECT_EQ(SixBitValue('a'), SixBitValue('A'));
  EXPECT_EQ(SixBitValue('~'), -1);
}

// "15RTgt0PAso;90TKcjM8h6g208CQ" is a type 1 report from MMSI 371798000
// (gpsd sample, checked with the noaadata tools).
TEST(AisBits, ExtractsFieldsAtAnyAlignment) {
  AisBits bits;
  bits.AppendArmoured("15RTgt0PAso;90TKcjM8h6g208CQ");
  ASSERT_EQ(bits.Size(), 168);
  struct Row {
    BitField field;
    int64_t expected;
    bool isSigned;
  };
  const Row rows[] = {
      {{0, 6}, 1, false},       {{8, 30}, 371798000, false}, {{42, 8}, -127, true},
      {{50, 10}, 123, false},   {{61, 28}, -74037230, true}, {{89, 27}, 29028980, true},
      {{116, 12}, 2240, false}, {{128, 9}, 215, false},      {{137, 6}, 33, false},
  };
  for (const Row& row : rows) {
    const int64_t got = row.isSigned ? static_cast<int64_t>(bits.Signed(row.field))
                                     : static_cast<int64_t>(bits.Unsigned(row.field));
    EXPECT_EQ(got, row.expected) << "offset " << row.field.offset;
  }
}

TEST(AisBits, BitsPastTheEndReadAsZero) {
  AisBits bits;
  bits.AppendBits(0b111111, 6);
  EXPECT_EQ(bits.Unsigned({0, 6}), 63U);
  EXPECT_EQ(bits.Unsigned({3, 6}), 0b111000U);
  EXPECT_EQ(bits.Unsigned({6, 12}), 0U);
  bits.DropTail(2);
  EXPECT_EQ(bits.Size(), 4);
  EXPECT_EQ(bits.Unsigned({0, 6}), 0b111100U);
  bits.DropTail(9);
  EXPECT_EQ(bits.Size(), 0);
}

TEST(AisBits, SignedAndWideFields) {
  AisBits bits;
  bits.AppendBits(0xFFFFFFFF, 32);
  bits.AppendBits(0x80000000, 32);
  EXPECT_EQ(bits.Unsigned({0, 32}), 0xFFFFFFFFU);
  EXPECT_EQ(bits.Signed({0, 32}), -1);
  EXPECT_EQ(bits.Signed({32, 32}), INT32_MIN);
  EXPECT_EQ(bits.Signed({31, 2}), -1);  // "11" across the word boundary
  EXPECT_EQ(bits.Signed({32, 2}), -2);  // "10"
  EXPECT_EQ(bits.Signed({33, 2}), 0);
}

TEST(AisBits, StoreStopsAtMaximum) {
  AisBits bits;
  const std::string payload(1400, 'w');  // 8400 bits offered
  bits.AppendArmoured(payload);
  EXPECT_EQ(bits.Size(), 7968);
  bits.AppendBits(1, 1);
  EXPECT_EQ(bits.Size(), 7968);
}

TEST(AisBits, TextStopsAtAtSignAndTrimsBlanks) {
  AisBits bits;
  for (char c : std::string("EVER DIADEM  @@XX")) bits.AppendBits(SixBitValue(c), 6);
  EXPECT_EQ(bits.Text({0, bits.Size()}), "EVER DIADEM");
  EXPECT_EQ(bits.Text({0, 24}), "EVER");
}

TEST(AisBits, ArmouredRoundTrip) {
  AisBits bits;
  bits.AppendArmoured("H42O55i4hhhilD3nink000?050");
  EXPECT_EQ(bits.Armoured(0, bits.Size()), "H42O55i4hhhilD3nink000?050");
  AisBits odd;
  odd.AppendBits(0b101, 3);
  EXPECT_EQ(odd.Armoured(0, 3), std::string(1, ArmourValue(0b101000)));
}

}  // namespace
}  // namespace tarnwick
