// The property-object model: class tables and defaults, lookup and hiding,
// computed properties, set-from-text, display names and commands.

#include <gtest/gtest.h>

#include "navobjects/model/Layer.h"
#include "navobjects/model/ObjectFactory.h"
#include "navobjects/model/PropertyAccess.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Shapes.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

struct DefaultCase {
  const char* className;
  const char* property;
  const char* persistentText;
};

class ClassDefaults : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(ClassDefaults, NewObjectsHoldTheTableDefaults) {
  const DefaultCase& c = GetParam();
  auto object = CreateNavObject(c.className);
  ASSERT_NE(object, nullptr) << c.className;
  EXPECT_EQ(GetPersistentText(*object, c.property), std::optional<std::string>(c.persistentText))
      << c.className << "." << c.property;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ClassDefaults,
    ::testing::Values(DefaultCase{"Mark", "Color", "rgb(0, 0, 1)"},
                      DefaultCase{"Mark", "ShowName", "true"},
                      DefaultCase{"Mark", "Hidden", "false"},
                      DefaultCase{"Mark", "RangeCirclePenWidth", "1.000000"},
                      DefaultCase{"Mark", "RangeCircleDisplayCount", "0"},
                      DefaultCase{"Route", "Color", "rgb(0, 0, 0)"},
                      DefaultCase{"Route", "ActiveColor", "rgb(0, 0.501961, 0)"},
                      DefaultCase{"Route", "InactiveColor", "rgb(0.501961, 0.501961, 0.501961)"},
                      DefaultCase{"Route", "DirectionArrows", "true"},
                      DefaultCase{"Track", "Color", "rgb(1, 0, 0)"},
                      DefaultCase{"Track", "TrackingTimeIntervalSeconds", "1 min"},
                      DefaultCase{"Track", "WakeLengthSeconds", "10 min"},
                      DefaultCase{"Track", "TrackingByDistanceInterval", "true"},
                      DefaultCase{"Track", "TrackingCourseChangeDegrees", "5.000000"},
                      DefaultCase{"Boundary", "Color", "rgb(1, 0, 0)"},
                      DefaultCase{"Boundary", "EnableAlarm", "true"},
                      DefaultCase{"Channel", "Color", "rgb(0, 0, 1)"},
                      DefaultCase{"RangeBearing", "Color", "rgb(1, 0, 1)"},
                      DefaultCase{"RangeBearing", "DisplayLegRangeBearing", "true"},
                      DefaultCase{"Annotation", "LockPosition", "false"}));

TEST(PropertyModel, ColoursKeepRedInTheLowByte) {
  EXPECT_EQ(kRgbRed.value, 0x0000FFu);
  EXPECT_EQ(kRgbBlue.value, 0xFF0000u);
  EXPECT_EQ(kRgbGreen.value, 0x008000u);
}

TEST(PropertyModel, LookupStartsAtTheMostDerivedClass) {
  const CClassDescriptor& route = CRoute::Descriptor();
  EXPECT_EQ(route.Find("Color")->defaultValue, ColourDefault(kRgbBlack));
  EXPECT_EQ(CMark::Descriptor().Find("Color")->defaultValue, ColourDefault(kRgbBlue));
  // Base properties are reachable, and each visible name appears once, the
  // derived class's rows before the base class's.
  ASSERT_NE(route.Find("Name"), nullptr);
  std::vector<std::string> names;
  for (const PropertyDescriptor* row : CTrack::Descriptor().AllProperties())
    names.push_back(row->name);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Color"), 1);
  EXPECT_LT(std::find(names.begin(), names.end(), "TrackingByTimeInterval") - names.begin(),
            std::find(names.begin(), names.end(), "Name") - names.begin());
  EXPECT_TRUE(route.IsA(CNavObject::Descriptor()));
  EXPECT_FALSE(CRouteLeg::Descriptor().IsA(CNavObject::Descriptor()));
}

TEST(PropertyModel, ComputedPropertiesRefuseASet) {
  CRangeBearing line;
  auto a = std::make_shared<CMark>();
  auto b = std::make_shared<CMark>();
  b->position = {1, 0};
  line.MutableMarks() = {a, b};
  EXPECT_EQ(GetPersistentText(line, "Range"), "60 NM");
  EXPECT_EQ(GetPersistentText(line, "Bearing"), "000.0\xC2\xB0T");
  for (const char* name : {"Range", "Bearing"})
    EXPECT_EQ(SetPropertyFromText(line, name, "5 NM"), SetResult::ReadOnly) << name;
  CRoute route;
  EXPECT_EQ(SetPropertyFromText(route, "TotalLength", "1 NM"), SetResult::ReadOnly);
  EXPECT_EQ(SetPropertyFromText(route, "Delete", "x"), SetResult::UnknownProperty);
  EXPECT_EQ(SetPropertyFromText(route, "Nonsense", "x"), SetResult::UnknownProperty);
}

struct BadTextCase {
  const char* property;
  const char* text;
};

class BadText : public ::testing::TestWithParam<BadTextCase> {};

TEST_P(BadText, LeavesTheValueUnchanged) {
  CMark mark;
  mark.position = {12.5, -7.25};
  mark.rangeCircleRadius = Length{2, LengthUnit::Kilometers};
  const auto before = GetPersistentText(mark, GetParam().property);
  EXPECT_EQ(SetPropertyFromText(mark, GetParam().property, GetParam().text), SetResult::BadValue);
  EXPECT_EQ(GetPersistentText(mark, GetParam().property), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadText,
                         ::testing::Values(BadTextCase{"Position", "somewhere"},
                                           BadTextCase{"Position", "91 N 0 E"},
                                           BadTextCase{"RangeCircleDisplayCount", "3.5"},
                                           BadTextCase{"RangeCircleDisplayCount", "99999999999"},
                                           BadTextCase{"ShowName", "maybe"},
                                           BadTextCase{"Color", "rgb(300, 0, 0)"},
                                           BadTextCase{"Color", "#12345"},
                                           BadTextCase{"RangeCircleRadius", "12 parsecs"},
                                           BadTextCase{"RangeCirclePenWidth", "nan"},
                                           BadTextCase{"RangeCirclePenWidth", "1e999"},
                                           BadTextCase{"LayoverTime", "3 fortnights"},
                                           BadTextCase{"NameOffset", "3;4"}));

TEST(PropertyModel, IntegerValueSetsAcceptLabelsAndShowThem) {
  CMark mark;
  EXPECT_EQ(SetPropertyFromText(mark, "NamePosition", "above"), SetResult::Changed);
  EXPECT_EQ(mark.namePosition, kLabelAbove);
  EXPECT_EQ(GetDisplayText(mark, "NamePosition"), "Above");
  EXPECT_EQ(GetPersistentText(mark, "NamePosition"), "2");
}

TEST(PropertyModel, DisplayNamesAndWaypointPlaces) {
  CRoute route;
  for (int i = 0; i < 4; ++i) route.InsertMarkAt(route.Marks().size(), std::make_shared<CMark>());
  route.MutableMarks()[1]->name = "Fairway";
  EXPECT_EQ(route.Marks()[0]->DisplayName(), "(no name)");
  EXPECT_EQ(route.WaypointDisplayName(0), "001");
  EXPECT_EQ(route.WaypointDisplayName(1), "Fairway");
  EXPECT_EQ(route.WaypointDisplayName(2), "003");
  EXPECT_EQ(route.Legs().size(), 3u);
}

TEST(PropertyModel, RouteLegsFollowInsertAndRemove) {
  CRoute route;
  std::vector<std::shared_ptr<CMark>> marks(4);
  for (auto& m : marks) m = std::make_shared<CMark>();
  route.InsertMarkAt(0, marks[0]);
  route.InsertMarkAt(1, marks[2]);
  route.MutableLegs()[0]->plannedSpeed = 7;
  route.InsertMarkAt(1, marks[1]);  // splits the 7-knot leg: both halves keep 7
  ASSERT_EQ(route.Legs().size(), 2u);
  EXPECT_EQ(route.Legs()[0]->plannedSpeed, 7);
  EXPECT_EQ(route.Legs()[1]->plannedSpeed, 7);
  route.InsertMarkAt(0, marks[3]);  // a new first leg starts fresh
  EXPECT_EQ(route.Legs()[0]->plannedSpeed, 0);
  route.RemoveMarkAt(3);
  EXPECT_EQ(route.Marks().size(), 3u);
  EXPECT_EQ(route.Legs().size(), 2u);
  route.RemoveMarkAt(0);
  route.RemoveMarkAt(0);
  EXPECT_TRUE(route.Legs().empty());
}

class RecordingHost final : public INavCommandHost {
 public:
  bool DeleteObject(CSelectable& o) override { return Note("delete", o); }
  bool ActivateObject(CSelectable& o) override { return Note("activate", o); }
  bool DeactivateObject(CSelectable& o) override { return Note("deactivate", o); }
  bool ConvertTrackToRoute(CTrack& o) override { return Note("convert", o); }
  bool StartNewTrack(CTrack& o) override { return Note("new-track", o); }
  std::vector<std::string> calls;

 private:
  bool Note(const char* what, CSelectable& object) {
    calls.push_back(std::string(what) + ":" + object.ClassName());
    return true;
  }
};

TEST(PropertyModel, CommandsRunTheirHandlers) {
  RecordingHost host;
  CMark mark;
  CTrack track;
  EXPECT_TRUE(RunCommand(mark, "Activate", host));
  EXPECT_TRUE(RunCommand(track, "ConvertToRoute", host));
  EXPECT_TRUE(RunCommand(track, "StartNewTrack", host));
  EXPECT_FALSE(RunCommand(track, "Activate", host));  // tracks have no such command
  EXPECT_FALSE(RunCommand(mark, "Name", host));       // not a command
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"activate:Mark", "convert:Track", "new-track:Track"}));
  EXPECT_GE(mark.Class().Find("Delete")->type, 256);
}

TEST(PropertyModel, IdsAreBracedRandomUuids) {
  CMark a, b;
  EXPECT_NE(a.Id(), b.Id());
  ASSERT_EQ(a.Id().size(), 38u);
  EXPECT_EQ(a.Id().front(), '{');
  EXPECT_EQ(a.Id().back(), '}');
  EXPECT_EQ(a.Id()[15], '4');  // version 4
}

}  // namespace
}  // namespace tarnwick
