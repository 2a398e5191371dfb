// The streaming JSON writer: escaping, numbers, separators, and that what it
// writes reads back as the same values.

#include "core/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace tarnwick {
namespace {

TEST(JsonWriter, EscapesStrings) {
  const struct {
    std::string text;
    const char* json;
  } rows[] = {
      {"", R"("")"},
      {"EVER DIADEM", R"("EVER DIADEM")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"C:\\AIS.LOG", R"("C:\\AIS.LOG")"},
      {"a\nb\rc\td\be\ff", R"("a\nb\rc\td\be\ff")"},
      {std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
      {std::string("nul\0here", 8), R"("nul\u0000here")"},
      {"\x7f", "\"\x7f\""},  // DEL is allowed as it stands
      {"Z\xc3\xbcrich \xe2\x82\xac", "\"Z\xc3\xbcrich \xe2\x82\xac\""},  // valid UTF-8 kept
      {"\xf0\x9f\x9a\xa2", "\"\xf0\x9f\x9a\xa2\""},                      // four-byte sequence
      {"a\xff"
       "b",
       R"("a\ufffdb")"},                                      // not UTF-8
      {"\xc3", R"("\ufffd")"},                                // cut sequence at the end
      {"\xc0\xaf", R"("\ufffd\ufffd")"},                      // overlong form
      {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},            // surrogate
      {"\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},  // above U+10FFFF
  };
  for (const auto& row : rows) {
    std::string out;
    AppendJsonString(out, row.text);
    EXPECT_EQ(out, row.json) << row.text;
    // Always valid JSON.
    EXPECT_FALSE(nlohmann::json::parse(out, nullptr, false).is_discarded()) << out;
  }
}

TEST(JsonWriter, WritesNumbers) {
  const struct {
    double value;
    const char* json;
  } doubles[] = {
      {0.0, "0.0"},
      {12.0, "12.0"},
      {12.3, "12.3"},
      {-70.8111967, "-70.8111967"},
      {43.1155583, "43.1155583"},
      {0.1 + 0.2, "0.30000000000000004"},
      {100000.0, "100000.0"},
      {1e15, "1e+15"},
      {0.00001, "1e-05"},
      {0.000123, "0.000123"},
      {1e30, "1e+30"},
      {-1e-7, "-1e-07"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {std::numeric_limits<double>::infinity(), "null"},
  };
  for (const auto& row : doubles) {
    std::string out;
    CJsonWriter(out).Double(row.value);
    EXPECT_EQ(out, row.json) << row.value;
    if (std::isfinite(row.value)) {
      EXPECT_EQ(nlohmann::json::parse(out).get<double>(), row.value);
    }
  }

  std::string out;
  CJsonWriter w(out);
  w.BeginArray().Int(0).Int(-2147483648LL).Int(std::numeric_limits<int64_t>::min());
  w.UInt(std::numeric_limits<uint64_t>::max()).UInt(1193046).EndArray();
  EXPECT_EQ(out, "[0,-2147483648,-9223372036854775808,18446744073709551615,1193046]");
}

TEST(JsonWriter, SeparatesMembersAndNestedValues) {
  std::string out;
  CJsonWriter w(out);
  w.BeginObject();
  w.Member("type", 5).Member("mmsi", uint32_t{371798000}).Member("name", "EVER DIADEM");
  w.Member("heading", std::optional<int>()).Member("cpa", std::optional<double>(0.25));
  w.Member("own", false).Member("gone", nullptr);
  w.Key("met").BeginObject().Member("wind", 12).EndObject();
  w.Key("list").BeginArray();
  w.BeginObject().EndObject().BeginArray().EndArray().Null().String("x");
  w.EndArray();
  w.Key("empty").BeginObject().EndObject();
  w.EndObject();
  EXPECT_EQ(out,
            R"({"type":5,"mmsi":371798000,"name":"EVER DIADEM","heading":null,"cpa":0.25,)"
            R"("own":false,"gone":null,"met":{"wind":12},"list":[{},[],null,"x"],"empty":{}})");
  EXPECT_FALSE(nlohmann::json::parse(out, nullptr, false).is_discarded());

  // One writer per line: a new writer starts without a separator.
  std::string lines;
  CJsonWriter(lines).BeginObject().Member("a", 1).EndObject();
  lines += '\n';
  CJsonWriter(lines).BeginObject().Member("a", 2).EndObject();
  EXPECT_EQ(lines, "{\"a\":1}\n{\"a\":2}");
}

}  // namespace
}  // namespace tarnwick
