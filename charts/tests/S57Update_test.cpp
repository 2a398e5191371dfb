// Update files applied to a crafted cell: record insertion, deletion and
// modification under the RVER rules, each pointer and coordinate
// instruction, attribute updates with the delete marker, and the DSID checks
// that stop the update sequence with the navigator's texts.

#include <gtest/gtest.h>

#include <functional>

#include "charts/s57/S57ChartReader.h"
#include "charts/tests/support/S57Writer.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

constexpr auto Control = testing::S57Writer::Control;
using testing::Name;
using testing::Pointer;
using testing::S57Writer;
using testing::U16;
using testing::U32;
using testing::U8;
using testing::Ut;

// A square ring (edges 11-14 between nodes 1-4, edge 11 through one vertex),
// a line over edges 12 and 11, a buoy and soundings.
S57Writer BaseCell(uint32_t edition = 1) {
  S57Writer w;
  w.Dsid(edition, 0).Dspm(10000000, 10);
  const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (uint32_t i = 0; i < 4; ++i) w.Node(120, 1 + i, corners[i][0], corners[i][1]);
  w.Edge(11, 1, 2, {{0.5, -0.1}}).Edge(12, 2, 3).Edge(13, 3, 4).Edge(14, 4, 1);
  w.Node(110, 100, 0.5, 0.5).Soundings(101, {{0.1, 0.2, 12.3}, {0.3, 0.4, 1.5}});
  w.Feature(1, 3, 42, {{87, "5"}}, {{130, 11}, {130, 12}, {130, 13}, {130, 14}});
  w.Feature(2, 2, 30, {}, {{130, 12, 2}, {130, 11, 2}});
  w.Feature(3, 1, 17, {{75, "3"}, {133, "22000"}, {116, "Old"}}, {{110, 100}});
  w.Feature(4, 1, 129, {}, {{110, 101}});
  return w;
}

S57Writer Update(uint32_t updn, uint32_t edition = 1) {
  S57Writer w;
  w.Dsid(edition, updn, 20240200 + updn);
  return w;
}

// A modification of feature rcid with extra fields.
void ModifyFeature(S57Writer& w, uint32_t rcid, uint16_t objl, uint32_t rver,
                   std::vector<std::pair<std::string, std::string>> fields) {
  fields.insert(fields.begin(), {{"0001", U16(w.NextRecordId())},
                                 {"FRID", S57Writer::Frid(rcid, 0, objl, rver, 3)}});
  w.Add(fields);
}

void ModifyVector(S57Writer& w, int rcnm, uint32_t rcid, uint32_t rver,
                  std::vector<std::pair<std::string, std::string>> fields) {
  fields.insert(fields.begin(), {{"0001", U16(w.NextRecordId())},
                                 {"VRID", S57Writer::Vrid(rcnm, rcid, rver, 3)}});
  w.Add(fields);
}

struct Result {
  std::optional<S57CompiledCell> cell;
  std::vector<std::string> messages;

  const S57Feature* Feature(uint32_t rcid) const {
    for (const auto& f : cell->features)
      if (f.rcid == rcid) return &f;
    return nullptr;
  }
  std::vector<std::pair<double, double>> Points(uint32_t rcid, size_t part = 0) const {
    std::vector<std::pair<double, double>> out;
    const S57GeometryPart& p = Feature(rcid)->parts.at(part);
    for (size_t i = 0; i < p.Count(); ++i) {
      const auto geo = MercatorInverse(p.xy[2 * i], p.xy[2 * i + 1]);
      out.push_back({std::round(geo->lon * 1e7) / 1e7, std::round(geo->lat * 1e7) / 1e7});
    }
    return out;
  }
  std::string Attributes(uint32_t rcid) const {
    std::string out;
    const S57Feature* f = Feature(rcid);
    for (size_t i = 0; i < f->attributes.size(); ++i)
      out += std::to_string(f->attributes[i].first) + "=" + std::string(f->AttributeValue(i)) + ";";
    return out;
  }
};

Result Apply(const S57Writer& base, const std::vector<S57Writer>& updates) {
  ::tarnwick::testing::CTempFolder folder;
  base.Write(folder / "TEST0001.000");
  for (size_t i = 0; i < updates.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "TEST0001.%03zu", i + 1);
    updates[i].Write(folder / name);
  }
  Result result;
  CS57ChartReader reader(folder / "senc");
  reader.SetUserMessage([&](const std::string& text) { result.messages.push_back(text); });
  std::string error;
  result.cell = reader.Compile(folder / "TEST0001.000", true, error);
  EXPECT_TRUE(result.cell) << error;
  return result;
}

using Points = std::vector<std::pair<double, double>>;

TEST(S57Update, RecordsInsertedDeletedAndModifiedByRver) {
  S57Writer u = Update(1);
  u.Node(110, 102, 0.9, 0.9);                                       // insert a node
  u.Feature(5, 1, 17, {{75, "1"}}, {{110, 102}});                    // and a buoy on it
  u.Add({{"0001", U16(u.NextRecordId())}, {"FRID", S57Writer::Frid(4, 1, 129, 2, 2)}});  // delete
  u.Add({{"0001", U16(u.NextRecordId())}, {"FRID", S57Writer::Frid(2, 2, 30, 3, 2)}});   // RVER off
  ModifyFeature(u, 3, 17, 3, {{"ATTF", S57Writer::Attributes({{75, "9"}})}});         // RVER off
  ModifyFeature(u, 1, 42, 2, {{"ATTF", S57Writer::Attributes({{87, "7"}})}});
  const Result r = Apply(BaseCell(), {u});
  EXPECT_EQ(r.cell->header.updn, 1u);
  EXPECT_EQ(r.cell->header.isdt, 20240201u);
  EXPECT_EQ(r.Points(5), (Points{{0.9, 0.9}}));
  EXPECT_EQ(r.cell->features.back().rcid, 5u);  // appended
  EXPECT_FALSE(r.Feature(4));
  EXPECT_TRUE(r.Feature(2));
  EXPECT_EQ(r.Attributes(3), "75=3;133=22000;116=Old;");
  EXPECT_EQ(r.Attributes(1), "87=7;");
}

TEST(S57Update, AttributesReplacedAppendedAndDeleted) {
  S57Writer u = Update(1);
  ModifyFeature(u, 3, 17, 2,
                {{"ATTF", S57Writer::Attributes({{75, "1,11"}, {133, "\x7F"}, {84, "2"}, {90, "\x7F"}})}});
  ModifyFeature(u, 1, 42, 2, {{"ATTF", S57Writer::Attributes({{88, "10"}})}});
  const Result r = Apply(BaseCell(), {u});
  EXPECT_EQ(r.Attributes(3), "75=1,11;116=Old;84=2;");
  EXPECT_EQ(r.Feature(3)->scamin, 0);
  EXPECT_EQ(r.Attributes(1), "87=5;88=10;");
}

TEST(S57Update, PointerAndCoordinateInstructions) {
  struct Case {
    const char* what;
    std::function<void(S57Writer&)> write;
    std::function<void(const Result&)> check;
  } cases[] = {
      {"FSPC insert appends an edge to the line",
       [](S57Writer& u) {
         ModifyFeature(u, 2, 30, 2, {{"FSPC", Control(1, 3, 1)}, {"FSPT", S57Writer::Pointers({{130, 14, 2}})}});
       },
       [](const Result& r) { EXPECT_EQ(r.Points(2).back(), (std::pair<double, double>{0, 1})); }},
      {"FSPC delete takes edges out",
       [](S57Writer& u) { ModifyFeature(u, 1, 42, 2, {{"FSPC", Control(2, 2, 2)}}); },
       [](const Result& r) {
         ASSERT_EQ(r.Feature(1)->parts.size(), 2u);  // edges 11 and 14 no longer meet
         EXPECT_EQ(r.Points(1, 0), (Points{{0, 0}, {0.5, -0.1}, {1, 0}}));
       }},
      {"FSPC modify replaces an edge",
       [](S57Writer& u) {
         ModifyFeature(u, 2, 30, 2, {{"FSPC", Control(3, 2, 1)}, {"FSPT", S57Writer::Pointers({{130, 13}})}});
       },
       [](const Result& r) {
         EXPECT_EQ(r.Points(2, 0), (Points{{1, 1}, {1, 0}}));
         EXPECT_EQ(r.Points(2, 1), (Points{{1, 1}, {0, 1}}));
       }},
      {"VRPC moves an edge's begin node",
       [](S57Writer& u) {
         u.Node(120, 9, 0, -0.5);
         ModifyVector(u, 130, 11, 2,
                      {{"VRPC", Control(3, 1, 1)},
                       {"VRPT", Name(120, 9) + U8(1) + U8(255) + U8(1) + U8(255)}});
       },
       [](const Result& r) { EXPECT_EQ(r.Points(2).back(), (std::pair<double, double>{0, -0.5})); }},
      {"SGCC insert adds a vertex",
       [](S57Writer& u) {
         ModifyVector(u, 130, 11, 2, {{"SGCC", Control(1, 2, 1)}, {"SG2D", u.Coordinates({{0.7, -0.2}})}});
       },
       [](const Result& r) {
         EXPECT_EQ(r.Points(2), (Points{{1, 1}, {1, 0}, {0.7, -0.2}, {0.5, -0.1}, {0, 0}}));
       }},
      {"SGCC delete removes the vertex",
       [](S57Writer& u) { ModifyVector(u, 130, 11, 2, {{"SGCC", Control(2, 1, 1)}}); },
       [](const Result& r) { EXPECT_EQ(r.Points(2), (Points{{1, 1}, {1, 0}, {0, 0}})); }},
      {"SGCC modify moves the vertex",
       [](S57Writer& u) {
         ModifyVector(u, 130, 11, 2, {{"SGCC", Control(3, 1, 1)}, {"SG2D", u.Coordinates({{0.5, -0.3}})}});
       },
       [](const Result& r) { EXPECT_EQ(r.Points(2)[2], (std::pair<double, double>{0.5, -0.3})); }},
      {"SGCC modifies soundings in SG3D",
       [](S57Writer& u) {
         ModifyVector(u, 110, 101, 2,
                      {{"SGCC", Control(3, 2, 1)},
                       {"SG3D", testing::I32(4000000) + testing::I32(3000000) + testing::I32(25)}});
       },
       [](const Result& r) {
         EXPECT_EQ(r.Feature(4)->parts[0].depths, (std::vector<double>{12.3, 2.5}));
         EXPECT_EQ(r.Points(4)[1], (std::pair<double, double>{0.3, 0.4}));
       }},
      {"a control on a missing field leaves the record as it was",
       [](S57Writer& u) {
         ModifyVector(u, 130, 12, 2,
                      {{"SGCC", Control(1, 1, 1)}, {"SG2D", u.Coordinates({{2, 2}})},
                       {"ATTV", U16(402) + Ut("5")}});
       },
       [](const Result& r) {
         EXPECT_EQ(r.Points(2), (Points{{1, 1}, {1, 0}, {0.5, -0.1}, {0, 0}}));
         EXPECT_EQ(r.Feature(2)->parts[0].quapos, 0);
       }},
      {"an index past the end leaves the record as it was",
       [](S57Writer& u) { ModifyFeature(u, 1, 42, 2, {{"FSPC", Control(2, 4, 2)}}); },
       [](const Result& r) { EXPECT_EQ(r.Points(1).size(), 6u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    S57Writer u = Update(1);
    c.write(u);
    const Result r = Apply(BaseCell(), {u});
    ASSERT_EQ(r.cell->updatesApplied.size(), 1u);
    c.check(r);
  }
}

TEST(S57Update, SequenceStopsAtAnUpdateThatDoesNotFollow) {
  struct Case {
    const char* what;
    uint32_t baseEdition;
    std::vector<std::pair<uint32_t, uint32_t>> updates;  // (edition, update number) in files .001...
    uint32_t applied;
    std::vector<std::string> messages;
  } cases[] = {
      {"all in sequence", 1, {{1, 1}, {1, 2}}, 2, {}},
      {"a number skipped", 1, {{1, 1}, {1, 3}}, 1, {"Can't apply update 3 to update 1."}},
      {"an update of a newer edition", 1, {{2, 1}}, 0, {"Can't apply update 1 for edition 2 to edition 1."}},
      {"an update of an older edition, silently", 2, {{1, 1}}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<S57Writer> updates;
    for (const auto& [edition, number] : c.updates) updates.push_back(Update(number, edition));
    const Result r = Apply(BaseCell(c.baseEdition), updates);
    EXPECT_EQ(r.cell->header.updn, c.applied);
    EXPECT_EQ(r.cell->updatesApplied.size(), c.applied);
    EXPECT_EQ(r.messages, c.messages);
    EXPECT_EQ(r.cell->failedUpdate.has_value(), c.applied < c.updates.size());
  }
}

TEST(S57Update, ADamagedUpdateChangesNothing) {
  S57Writer u = Update(1);
  u.Add({{"0001", U16(u.NextRecordId())}, {"FRID", S57Writer::Frid(4, 1, 129, 2, 2)}});
  u.Feature(6, 1, 17, {}, {{110, 100}});
  std::string bytes = u.Bytes();
  bytes.resize(bytes.size() - 10);
  ::tarnwick::testing::CTempFolder folder;
  BaseCell().Write(folder / "TEST0001.000");
  ::tarnwick::testing::WriteFile(folder / "TEST0001.001", bytes);
  std::string error;
  const auto cell = CS57ChartReader(folder / "senc").Compile(folder / "TEST0001.000", true, error);
  ASSERT_TRUE(cell) << error;
  EXPECT_EQ(cell->header.updn, 0u);
  EXPECT_EQ(cell->features.size(), 4u);
  EXPECT_NE(cell->failedUpdateError.find("runs past the end"), std::string::npos) << cell->failedUpdateError;
}

}  // namespace
}  // namespace tarnwick
