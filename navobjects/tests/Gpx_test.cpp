// GPX exchange: our file reads back without loss of what GPX carries, reads
// in an independent reader (gpsbabel), and files of other programs import.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/tests/support/TestSupport.h"
#include "navobjects/files/Gpx.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

std::vector<std::shared_ptr<CNavObject>> SampleObjects() {
  auto wpt = std::make_shared<CMark>();
  wpt->name = "Lighthouse & pier";
  wpt->description = "Red <flashing>";
  wpt->comments = "Approach from south";
  wpt->icon = "lighthouse";
  wpt->link = "https://example.org/?a=1&b=2";
  wpt->position = {54.5, -3.25};
  wpt->arrivalCircleRadius = Length{0.2, LengthUnit::NauticalMiles};
  wpt->SetCreated(*ParseCompactTime("20240501T093000"));
  auto route = std::make_shared<CRoute>();
  route->name = "Passage";
  route->description = "Day one";
  for (int i = 0; i < 3; ++i) {
    auto m = std::make_shared<CMark>();
    m->position = {50 + i * 0.1, -4.0};
    if (i != 1) m->name = "WP" + std::to_string(i + 1);  // the second goes by its place
    m->SetCreated(*ParseCompactTime("20240501T100000"));
    route->InsertMarkAt(route->Marks().size(), m);
  }
  route->MutableLegs()[1]->plannedSpeed = 6.5;
  auto track = std::make_shared<CTrack>();
  track->name = "Log";
  track->points = {{*ParseCompactTime("20240502T080000"), {50.1, -4.2}, 12.25},
                   {FileTime{}, {50.2, -4.3}, 0},
                   {*ParseCompactTime("20240502T081000"), {50.3, -4.4}, 3}};
  std::vector<std::shared_ptr<CNavObject>> objects{wpt, route, track};
  for (const auto& m : route->Marks()) objects.push_back(m);
  return objects;
}

TEST(Gpx, OurFileReadsBackWithEverythingGpxCarries) {
  const auto objects = SampleObjects();
  const std::string text = WriteGpxDocument(objects);
  GpxReadResult result = ReadGpxDocument(text);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.objects.size(), 6u);  // wpt, route + its 3 marks, track
  const auto& wpt = static_cast<const CMark&>(*result.objects[0]);
  const auto& original = static_cast<const CMark&>(*objects[0]);
  EXPECT_EQ(wpt.name, original.name);
  EXPECT_EQ(wpt.description, original.description);
  EXPECT_EQ(wpt.comments, original.comments);
  EXPECT_EQ(wpt.icon, original.icon);
  EXPECT_EQ(wpt.link, original.link);
  EXPECT_EQ(wpt.position, original.position);
  EXPECT_EQ(wpt.arrivalCircleRadius, original.arrivalCircleRadius);
  EXPECT_EQ(wpt.Created(), original.Created());
  const auto& route = static_cast<const CRoute&>(*result.objects[1]);
  ASSERT_EQ(route.Marks().size(), 3u);
  EXPECT_EQ(route.name, "Passage");
  EXPECT_EQ(route.description, "Day one");
  EXPECT_EQ(route.Marks()[1]->name, "002");
  EXPECT_EQ(route.Marks()[2]->name, "WP3");
  EXPECT_EQ(route.Legs()[0]->plannedSpeed, 0);
  EXPECT_EQ(route.Legs()[1]->plannedSpeed, 6.5);
  const auto& track = static_cast<const CTrack&>(*result.objects[5]);
  EXPECT_EQ(track.points, static_cast<const CTrack&>(*objects[2]).points);
  // Written again, nothing changes.
  EXPECT_EQ(WriteGpxDocument(result.objects), text);
}

TEST(Gpx, ReadsFilesOfOtherPrograms) {
  GpxReadResult result = ReadGpxDocument(
      "<?xml version=\"1.0\"?>\n"
      "<gpx version=\"1.1\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\">"
      "<wpt lat=\"1.5\" lon=\"2.5\"><name>A</name></wpt>"
      "<wpt lat=\"95\" lon=\"0\"><name>bad</name></wpt>"
      "<wpt lon=\"0\"/>"
      "<trk><name>T</name><trkseg><trkpt lat=\"1\" "
      "lon=\"1\"><time>2024-05-02T08:00:00.5+02:00</time>"
      "<extensions><gpxtpx:TrackPointExtension><gpxtpx:depth>4.5</gpxtpx:depth>"
      "</gpxtpx:TrackPointExtension></extensions></trkpt></trkseg>"
      "<trkseg><trkpt lat=\"2\" lon=\"2\"/></trkseg></trk></gpx>");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.skippedPoints, 2);
  ASSERT_EQ(result.objects.size(), 2u);
  const auto& track = static_cast<const CTrack&>(*result.objects[1]);
  ASSERT_EQ(track.points.size(), 2u);
  EXPECT_EQ(track.points[0].depthMetres, 4.5);
  EXPECT_EQ(FormatIsoTime(track.points[0].time), "2024-05-02T06:00:00Z");
  for (const char* bad : {"", "<gpx", "<kml/>"}) EXPECT_FALSE(ReadGpxDocument(bad).ok) << bad;
}

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

TEST(Gpx, GpsbabelReadsOurFile) {
  if (system("command -v gpsbabel > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "gpsbabel is not installed";
  testing::CTempFolder temp;
  testing::WriteFile(temp / "ours.gpx", WriteGpxDocument(SampleObjects()));
  const std::string base = "gpsbabel -i gpx -f " + (temp / "ours.gpx").string();
  const std::string waypoints = RunCommand(base + " -o unicsv,utf8 -F - 2>&1");
  EXPECT_NE(waypoints.find("Lighthouse & pier"), std::string::npos) << waypoints;
  EXPECT_NE(waypoints.find("54.500000"), std::string::npos) << waypoints;
  const std::string routes = RunCommand(base + " -x transform,wpt=rte -o unicsv -F - 2>&1");
  EXPECT_NE(routes.find("WP3"), std::string::npos) << routes;
  const std::string tracks = RunCommand(base + " -x transform,wpt=trk -o unicsv -F - 2>&1");
  EXPECT_NE(tracks.find("50.300000"), std::string::npos) << tracks;
  EXPECT_NE(tracks.find("2024/05/02"), std::string::npos) << tracks;
  // gpsbabel writes GPX again; we read its file back.
  RunCommand(base + " -o gpx,gpxver=1.1 -F " + (temp / "theirs.gpx").string());
  GpxReadResult again = ReadGpxFile(temp / "theirs.gpx");
  ASSERT_TRUE(again.ok) << again.error;
  EXPECT_GE(again.objects.size(), 3u);
}

}  // namespace
}  // namespace tarnwick
