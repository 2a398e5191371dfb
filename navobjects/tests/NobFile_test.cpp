// Object files: the exact byte layout, the omission rules, reading back and
// resolving references, and write -> read -> write identity.

#include <gtest/gtest.h>

#include "core/Log.h"
#include "core/tests/support/TestSupport.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/PropertyAccess.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Shapes.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

constexpr const char* kMarkId = "{11111111-2222-4333-8444-555555555555}";
constexpr const char* kMarkId2 = "{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}";
constexpr const char* kRouteId = "{99999999-8888-4777-8666-555555555555}";

FileTime At(const char* compact) {
  return *ParseCompactTime(compact);
}

std::shared_ptr<CMark> MakeMark(const char* id, LatLon where, const char* name = "") {
  auto mark = std::make_shared<CMark>();
  mark->SetId(id);
  mark->SetCreated(At("20240501T093000"));
  mark->position = where;
  mark->name = name;
  return mark;
}

std::string Doc(const std::string& body) {
  return "<?xml version=\"1.0\"?>\r\n<NavObjectCollection>\r\n" + body +
         "</NavObjectCollection>\r\n";
}

TEST(NobWriter, DefaultMarkIsStartLinePositionNameAndEndLine) {
  auto mark = MakeMark(kMarkId, {47.6, -122.335}, "Buoy <A> & B");
  EXPECT_EQ(
      WriteNobDocument({mark}),
      Doc("\t<Mark created=\"20240501T093000Z\" id=\"{11111111-2222-4333-8444-555555555555}\">\r\n"
          "\t\t<Position>47.600000 N 122.335000 W</Position>\r\n"
          "\t\t<Name>Buoy &lt;A&gt; &amp; B</Name>\r\n"
          "\t</Mark>\r\n"));
}

TEST(NobWriter, ObjectWithoutIdHasOnlyCreated) {
  auto mark = MakeMark("", {-10.5, 20.25});
  EXPECT_EQ(WriteNobDocument({mark}), Doc("\t<Mark created=\"20240501T093000Z\">\r\n"
                                          "\t\t<Position>10.500000 S 20.250000 E</Position>\r\n"
                                          "\t</Mark>\r\n"));
}

// Each row: a property set from text, and the line the file must (or must not) hold.
struct OmissionCase {
  const char* property;
  const char* text;
  const char* line;  // nullptr: not written
};

class NobOmission : public ::testing::TestWithParam<OmissionCase> {};

TEST_P(NobOmission, WritesOnlyWhatDiffersFromTheTable) {
  const OmissionCase& c = GetParam();
  auto mark = MakeMark(kMarkId, {1, 2});
  ASSERT_EQ(SetPropertyFromText(*mark, c.property, c.text), SetResult::Changed) << c.property;
  const std::string text = WriteNobDocument({mark});
  const std::string tag = std::string("<") + c.property + ">";
  if (c.line == nullptr)
    EXPECT_EQ(text.find(tag), std::string::npos) << text;
  else
    EXPECT_NE(text.find(std::string("\t\t") + c.line + "\r\n"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NobOmission,
    ::testing::Values(OmissionCase{"ShowName", "true", nullptr},  // boolean at its default true
                      OmissionCase{"ShowName", "false", "<ShowName>false</ShowName>"},
                      OmissionCase{"Hidden", "false", nullptr},
                      OmissionCase{"Hidden", "true", "<Hidden>true</Hidden>"},
                      OmissionCase{"Color", "rgb(0, 0, 255)", nullptr},  // blue is a mark's default
                      OmissionCase{"Color", "red", "<Color>rgb(1, 0, 0)</Color>"},
                      OmissionCase{"RangeCircleColor", "rgb(0, 128, 0)",
                                   "<RangeCircleColor>rgb(0, 0.501961, 0)</RangeCircleColor>"},
                      OmissionCase{"RangeCircleDisplayCount", "0", nullptr},
                      OmissionCase{"RangeCircleDisplayCount", "3",
                                   "<RangeCircleDisplayCount>3</RangeCircleDisplayCount>"},
                      OmissionCase{"RangeCirclePenWidth", "1", nullptr},
                      OmissionCase{"RangeCirclePenWidth", "2.5",
                                   "<RangeCirclePenWidth>2.500000</RangeCirclePenWidth>"},
                      OmissionCase{"ArrivalCircleRadius", "0 nm",
                                   "<ArrivalCircleRadius>0 NM</ArrivalCircleRadius>"},
                      OmissionCase{"ArrivalCircleRadius", "0.25 nm",
                                   "<ArrivalCircleRadius>0.25 NM</ArrivalCircleRadius>"},
                      OmissionCase{"RangeCircleRadius", "1200 yd",
                                   "<RangeCircleRadius>1200 yd</RangeCircleRadius>"},
                      OmissionCase{"TurnRadius", "0 m", nullptr},
                      OmissionCase{"TurnRadius", "50 m", "<TurnRadius>50 m</TurnRadius>"},
                      OmissionCase{"LayoverTime", "0 s", nullptr},
                      OmissionCase{"LayoverTime", "90 min", "<LayoverTime>90 min</LayoverTime>"},
                      OmissionCase{"NameOffset", "0,0", nullptr},
                      OmissionCase{"NameOffset", "-4,12", "<NameOffset>-4,12</NameOffset>"},
                      OmissionCase{"Comments", "", nullptr},
                      OmissionCase{"Icon", "anchor", "<Icon>anchor</Icon>"},
                      OmissionCase{"NamePosition", "2", "<NamePosition>2</NamePosition>"}));

TEST(NobWriter, RouteListsMarksByIdAndMarksStayTopLevel) {
  auto a = MakeMark(kMarkId, {1, 2});
  auto b = MakeMark(kMarkId2, {1.5, 2});
  auto route = std::make_shared<CRoute>();
  route->SetId(kRouteId);
  route->SetCreated(At("20240502T000000"));
  route->name = "Out";
  route->InsertMarkAt(0, a);
  route->InsertMarkAt(1, b);
  const std::string text = WriteNobDocument({route, a, b});
  EXPECT_NE(
      text.find(
          "\t<Route created=\"20240502T000000Z\" id=\"{99999999-8888-4777-8666-555555555555}\">\r\n"
          "\t\t<Marks>\r\n"
          "\t\t\t{11111111-2222-4333-8444-555555555555}\r\n"
          "\t\t\t{AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE}\r\n"
          "\t\t</Marks>\r\n"
          "\t\t<TotalLength>30 NM</TotalLength>\r\n"
          "\t\t<Name>Out</Name>\r\n"
          "\t</Route>\r\n"),
      std::string::npos)
      << text;
}

TEST(NobWriter, TrackPointsAndOnePointTrack) {
  auto track = std::make_shared<CTrack>();
  track->SetId(kRouteId);
  track->SetCreated(At("20240502T000000"));
  track->points.push_back({At("20240502T101500"), {47.6, -122.335}, 12.5});
  EXPECT_EQ(WriteNobDocument({track}), Doc(""));  // one point: not written

  track->points.push_back({FileTime{}, {-0.5, 0.1234567}, 0});
  const std::string text = WriteNobDocument({track});
  EXPECT_NE(text.find("\t\t<TrackMarks>\r\n"
                      "\t\t\t20240502T101500 47.600000 N 122.335000 W dpt=12.5m;\r\n"
                      "\t\t\t 0.500000 S 0.123456 E;\r\n"
                      "\t\t</TrackMarks>\r\n"
                      "\t</Track>\r\n"),
            std::string::npos)
      << text;
}

TEST(NobReader, RouteBeforeItsMarksResolvesAfterTheWholeFile) {
  const std::string text = Doc(
      "\t<Route created=\"20240502T000000Z\" id=\"R\">\r\n"
      "\t\t<Marks>\r\n\t\t\tA\r\n\t\t\tGONE\r\n\t\t\tB\r\n\t\t</Marks>\r\n"
      "\t</Route>\r\n"
      "\t<Mark created=\"20240501T093000Z\" id=\"A\"><Position>1 N 2 E</Position></Mark>\r\n"
      "\t<Mark created=\"20240501T093000Z\" id=\"B\"><Position>1.5 N 2 E</Position></Mark>\r\n");
  CLogCapture log;
  NobReadResult result = ReadNobDocument(text);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.objects.size(), 3u);
  auto route = std::dynamic_pointer_cast<CRoute>(result.objects[0]);
  ASSERT_NE(route, nullptr);
  ASSERT_EQ(route->Marks().size(), 2u);
  EXPECT_EQ(route->Marks()[0], result.objects[1]);
  EXPECT_EQ(route->Marks()[1], result.objects[2]);
  EXPECT_EQ(route->Legs().size(), 1u);
  EXPECT_EQ(result.missingIds, std::vector<std::string>{"GONE"});
  EXPECT_EQ(result.MissingObjectsMessage(),
            "The following objects were referenced, but did not appear in the file:\n\nGONE\n");
  bool logged = false;
  for (const auto& line : log.Lines())
    logged = logged || line.find("Missing object: \"GONE\"") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST(NobReader, DefaultsFillWhatTheFileLeavesOutAndBadTextsKeepThem) {
  const std::string text =
      Doc("\t<Mark created=\"20240501T093000Z\" id=\"A\">\r\n"
          "\t\t<Position>1 N 2 E</Position>\r\n"
          "\t\t<RangeCircleDisplayCount>many</RangeCircleDisplayCount>\r\n"
          "\t\t<NoSuchThing>x</NoSuchThing>\r\n"
          "\t\t<Delete>x</Delete>\r\n"
          "\t</Mark>\r\n"
          "\t<Gadget created=\"20240501T093000Z\" id=\"G\"><Size unit=\"m\">3</Size></Gadget>\r\n");
  NobReadResult result = ReadNobDocument(text);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.objects.size(), 2u);  // the mark, and the element no class knows, kept
  EXPECT_NE(WriteNobDocument(result.objects)
                .find("\t<Gadget created=\"20240501T093000Z\" id=\"G\"><Size unit=\"m\">3</Size>"
                      "</Gadget>\r\n</NavObjectCollection>"),
            std::string::npos);
  const auto& mark = static_cast<const CMark&>(*result.objects[0]);
  EXPECT_TRUE(mark.showName);
  EXPECT_EQ(mark.color, kRgbBlue);
  EXPECT_EQ(mark.rangeCircleDisplayCount, 0);
  EXPECT_EQ(result.badValues, 1);
  EXPECT_EQ(result.unknownProperties, 2);
  EXPECT_EQ(result.orphaned, 1);
}

TEST(NobReader, RefusesWhatIsNotADocument) {
  for (const char* text : {"", "not xml", "<?xml version=\"1.0\"?><Other/>",
                           "<NavObjectCollection><Mark>", "\xEF\xBB"}) {
    NobReadResult result = ReadNobDocument(text);
    EXPECT_FALSE(result.ok) << text;
    EXPECT_FALSE(result.error.empty()) << text;
  }
}

TEST(NobReader, EightBitTextWithoutEncodingReadsAsLatin1) {
  NobReadResult result =
      ReadNobDocument(Doc("\t<Mark created=\"20240501T093000Z\" id=\"A\"><Name>Kr\xF6nung</Name>"
                          "<Position>1 N 2 E</Position></Mark>\r\n"));
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(static_cast<CNavObject&>(*result.objects[0]).name, "Kr\xC3\xB6nung");
}

TEST(NobFile, SampleFilesReadAndRewriteByteIdentically) {
  for (const char* name : {"sample.nob", "shapes-and-legs.nob"}) {
    const std::string original = testing::ReadFile(testing::TestDataFolder() / name);
    ASSERT_FALSE(original.empty()) << name;
    NobReadResult result = ReadNobDocument(original);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.missingIds.empty());
    EXPECT_EQ(WriteNobDocument(result.objects), original) << name;
  }
}

TEST(NobFile, EveryPropertyKindSurvivesARoundTrip) {
  auto a = MakeMark(kMarkId, {-33.856784, 151.215297}, "Opera\r\nHouse \"west\"");
  auto b = MakeMark(kMarkId2, {-33.85, 151.22});
  a->description = "tab\there";
  a->attach = {"photo1.jpg", "notes & plans.pdf"};
  a->arrivalCircleRadius = Length{0.05, LengthUnit::NauticalMiles};
  a->layoverTime = 5400;
  a->descriptionOffset = {3, -7};
  a->icon = "anchor";
  auto route = std::make_shared<CRoute>();
  route->InsertMarkAt(0, a);
  route->InsertMarkAt(1, b);
  route->Legs()[0]->plannedSpeed = 6.5;
  route->Legs()[0]->crossTrackLimit = Length{100, LengthUnit::Meters};
  route->startTime = At("20240601T060000");
  route->activeColor = Rgb::FromBytes(10, 20, 30);
  auto boundary = std::make_shared<CBoundary>();
  boundary->MutableMarks() = {a, b};
  boundary->maxSpeedLimit = 5;
  auto line = std::make_shared<CRangeBearing>();
  line->MutableMarks() = {a, b};
  line->fixedRangeBearing = true;
  auto note = std::make_shared<CAnnotation>();
  note->position = {10, 10};
  note->description = "Shoaling <reported>";

  const std::string first = WriteNobDocument({a, b, route, boundary, line, note});
  NobReadResult result = ReadNobDocument(first);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.objects.size(), 6u);
  const auto& mark = static_cast<const CMark&>(*result.objects[0]);
  EXPECT_EQ(mark.name, a->name);
  EXPECT_EQ(mark.description, a->description);
  EXPECT_EQ(mark.attach, a->attach);
  EXPECT_EQ(mark.layoverTime, 5400);
  EXPECT_EQ(mark.descriptionOffset, (ScreenOffset{3, -7}));
  EXPECT_EQ(mark.arrivalCircleRadius, a->arrivalCircleRadius);
  const auto& readRoute = static_cast<const CRoute&>(*result.objects[2]);
  EXPECT_EQ(readRoute.Legs()[0]->plannedSpeed, 6.5);
  EXPECT_EQ(readRoute.startTime, route->startTime);
  EXPECT_EQ(readRoute.activeColor, route->activeColor);
  EXPECT_EQ(WriteNobDocument(result.objects), first);
}

}  // namespace
}  // namespace tarnwick
