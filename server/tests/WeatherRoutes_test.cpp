// The weather routes against a real server on a loopback port: the open and
// close commands with their refusals, uploads, grids by box and size (JSON
// and binary), values and request texts, and the display groups.

#include "server/WeatherRoutes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "core/settings/WeatherSettings.h"
#include "core/tests/support/TestSupport.h"
#include "environment/grib/WeatherGroups.h"
#include "environment/grib/WeatherModule.h"
#include "environment/grib/WeatherService.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

fs::path Fixtures() {
  return fs::path(TW_SOURCE_DIR) / "environment/tests/data/grib/fixtures";
}

class WeatherRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"waves.grb", "global_pressure.grb"}) fs::copy_file(Fixtures() / name, folder_ / name);
    CWeatherRoutes::Mount(server_, folder_.Path());
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override {
    server_.Stop();
    WeatherService().Close();
  }
  httplib::Client Client() { return testing::PageClient(server_); }
  json Get(const std::string& path, int expected = 200) {
    auto r = Client().Get(path.c_str());
    EXPECT_TRUE(r) << path;
    if (!r) return {};
    EXPECT_EQ(r->status, expected) << path << ": " << r->body;
    return json::parse(r->body, nullptr, false);
  }
  int Post(const std::string& path, const json& body) {
    auto r = testing::PageClient(server_).Post(path.c_str(), body.dump(), "application/json");
    return r ? r->status : 0;
  }
  // Opens a file of the folder and waits until it is loaded.
  json OpenAndWait(const std::string& name) {
    EXPECT_EQ(Post("/api/weather/graphical-weather-open-grib", {{"name", name}}), 202);
    for (int i = 0; i < 200; ++i) {
      json state = Get("/api/weather");
      if (state["state"] != "loading") return state;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
  }

  testing::CTempFolder folder_;
  testing::UiThread ui_;
  CHttpServer server_;
};

TEST_F(WeatherRoutesTest, OpensFilesOfTheWeatherFolderOnly) {
  struct Row {
    const char* name;
    int status;
  } const rows[] = {{"../waves.grb", 400}, {"sub/waves.grb", 400}, {".waves.grb", 400},
                    {"waves.txt", 400},    {"", 400},              {"none.grb", 404}};
  for (const Row& row : rows)
    EXPECT_EQ(Post("/api/weather/graphical-weather-open-grib", {{"name", row.name}}), row.status) << row.name;

  const json state = OpenAndWait("waves.grb");
  EXPECT_EQ(state["state"], "loaded");
  EXPECT_EQ(state["file"], "waves.grb");
  EXPECT_EQ(state["times"], json::array({1717200000000, 1717243200000}));
  EXPECT_EQ(state["listed"], json::array({7, 15, 13, 10, 8, 16, 20}));
  EXPECT_EQ(state["bounds"]["west"], -10);
  EXPECT_EQ(Get("/api/weather/files")["files"].size(), 2u);

  EXPECT_EQ(Post("/api/weather/graphical-weather-close-grib", json::object()), 200);
  EXPECT_EQ(Get("/api/weather")["state"], "none");
  Get("/api/weather/grid?type=7&time=1717200000000", 404);
}

// Standard base64 with padding.
std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) n |= uint8_t(bytes[i + 2]);
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

TEST_F(WeatherRoutesTest, UploadsAreStoredThenOpened) {
  std::ifstream in(Fixtures() / "currents_uv.grb", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  for (const json& bad : {json{{"name", "../x.grb"}, {"base64", Base64(bytes)}}, json{{"name", "x.grb"}, {"base64", "abc"}},
                          json{{"name", "x.grb"}, {"base64", "ab=c"}}, json{{"name", "x.grb"}}, json{{"name", "x.grb"}, {"base64", ""}}})
    EXPECT_EQ(Post("/api/weather/upload", bad), 400) << bad.dump().substr(0, 60);
  EXPECT_EQ(Post("/api/weather/upload", {{"name", "currents.grb"}, {"base64", Base64(bytes)}}), 202);
  std::ifstream stored(folder_ / "currents.grb", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(stored)), {}), bytes);
  EXPECT_FALSE(fs::exists(folder_ / ".currents.grb.part"));
  json state;
  for (int i = 0; i < 200 && (state = Get("/api/weather"))["state"] == "loading"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(state["listed"], json::array({35}));
}

TEST_F(WeatherRoutesTest, GridsByBoxAndSize) {
  ASSERT_EQ(OpenAndWait("global_pressure.grb")["state"], "loaded");
  // 10° rows from 70°S; a row's value is 100000 + 100 × its row from 90°N.
  const json whole = Get("/api/weather/grid?type=3&time=1717200000000");
  EXPECT_EQ(whole["ni"], 36);
  EXPECT_EQ(whole["nj"], 15);
  EXPECT_EQ(whole["wraps"], true);
  EXPECT_EQ(whole["values"][0], 101600);

  // A box across 0°: 350° round to 10°, and a cell of margin each side (340°..20°).
  const json box = Get("/api/weather/grid?type=3&time=1717200000000&bbox=-10,-5,10,5");
  EXPECT_EQ(box["lon0"], 340);
  EXPECT_EQ(box["ni"], 5);
  EXPECT_EQ(box["lat0"], -20);
  EXPECT_EQ(box["nj"], 5);
  EXPECT_EQ(box["wraps"], false);
  EXPECT_EQ(box["values"][0], 101100);

  const json coarse = Get("/api/weather/grid?type=3&time=1717200000000&max=100");
  EXPECT_LE(coarse["ni"].get<int>() * coarse["nj"].get<int>(), 100);
  EXPECT_EQ(coarse["dlon"], 10 * 3);

  auto bin = Client().Get("/api/weather/grid?type=3&time=1717200000000&bbox=-10,-5,10,5&format=bin");
  ASSERT_TRUE(bin);
  ASSERT_EQ(bin->body.size(), 8 * sizeof(double) + 25 * sizeof(float));
  double head[8];
  float first = 0;
  std::memcpy(head, bin->body.data(), sizeof head);
  std::memcpy(&first, bin->body.data() + sizeof head, sizeof first);
  EXPECT_EQ(head[0], -20);
  EXPECT_EQ(head[1], 340);
  EXPECT_EQ(head[4], 5);
  EXPECT_EQ(head[7], 1717200000000.0);
  EXPECT_EQ(first, 101100.0f);

  Get("/api/weather/grid?type=7&time=1717200000000", 404);
  Get("/api/weather/grid?type=3", 400);
  for (const char* bad : {"type=3&time=1717200000000&bbox=0,10,5,0", "type=3&time=1717200000000&bbox=nan,0,5,1",
                          "type=1e300&time=1717200000000", "type=3&time=1e300"})
    Get(std::string("/api/weather/grid?") + bad, 400);
}

TEST_F(WeatherRoutesTest, ValuesAndRequestTexts) {
  ASSERT_EQ(OpenAndWait("waves.grb")["state"], "loaded");
  const json value = Get("/api/weather/value?lat=49.5&lon=-9.5&time=1717221600000");
  ASSERT_EQ(value["values"].size(), 7u);
  EXPECT_EQ(value["values"][0]["name"], "Significant wave height");
  EXPECT_NEAR(value["values"][0]["value"].get<double>(), 1.75, 1e-6);
  EXPECT_NEAR(value["values"][0]["companion"].get<double>(), 285, 1e-4);
  EXPECT_FALSE(Get("/api/weather/value?lat=0&lon=0&time=1717221600000")["values"][0].contains("text"));
  Get("/api/weather/value?lat=95&lon=0&time=0", 400);
  Get("/api/weather/value?lat=0&lon=0&time=1e300", 400);

  ui_.Run([] {
    opt::Weather_DownloadDlg_Items.Set("Wind, pressure,waves");
    opt::Weather_DownloadDlg_Days.Set("5");
    opt::Weather_DownloadDlg_Custom.Set("false");
  });
  const json mail = Get("/api/weather/request?service=mail&region=49.5,40.2,-20.5,9.5&email=me@sea.org");
  EXPECT_EQ(mail["request"], "GFS:50N,40N,21W>10E|0.5,0.5|0,6..120|WIND,PRMSL,WAVES");
  EXPECT_EQ(mail["query"], "fetch?GFS:50N,40N,21W>10E|0.5,0.5|0,6..120|WIND,PRMSL,WAVES&6=6d65407365612e6f7267");
  EXPECT_EQ(fs::path(mail["reply"].get<std::string>()).filename(), "saildocs.grb");
  const json grid = Get("/api/weather/request?service=grid&region=49.5,40.2,-20.5,9.5");
  EXPECT_EQ(grid["request"], "WxGrid?days=5&bbox=-20.50,40.20,9.50,49.50&layers=WIND,PRES,SWHT,PWDR,PWPR");
  ui_.Run([] {
    opt::Weather_DownloadDlg_Custom.Set("true");
    opt::Weather_DownloadDlg_Region.Set("-10,-20,170,-170");
  });
  EXPECT_EQ(Get("/api/weather/request?service=mail&region=1,0,0,1")["request"],
            "GFS:10S,20S,170E>170W|0.5,0.5|0,6..120|WIND,PRMSL,WAVES") << "the stored region wins";
  ui_.Run([] {
    opt::Weather_DownloadDlg_Region.Set("north of here");
    opt::Weather_DownloadDlg_Custom.ResetToDefault();
    opt::Weather_DownloadDlg_Items.ResetToDefault();
    opt::Weather_DownloadDlg_Days.ResetToDefault();
  });
  Get("/api/weather/request?service=mail", 400);
  Get("/api/weather/request?service=fax&region=1,0,0,1", 400);
}

TEST_F(WeatherRoutesTest, DisplayGroups) {
  EXPECT_EQ(Post("/api/weather/groups", {{"activeGroup", 6}}), 200);
  EXPECT_EQ(Get("/api/weather")["activeGroup"], 6);
  EXPECT_EQ(opt::Weather_ActiveGroup.Text(), "Current");
  const json attrs = json::array({{{"weatherType", 31}, {"displayType", "None"}, {"gradientType", "Banded"},
                                   {"showText", true}, {"argb", "rgba(0, 128, 0, 1)"}}});
  EXPECT_EQ(Post("/api/weather/groups", {{"group", 0}, {"attrs", attrs}}), 200);
  const json custom = Get("/api/weather")["groups"][0];
  EXPECT_EQ(custom["attrs"], attrs);
  for (const json& bad : {json{{"activeGroup", 7}}, json{{"group", 0}, {"attrs", {{{"weatherType", 99}}}}},
                          json{{"group", 0}, {"attrs", {{{"weatherType", 3}, {"displayType", "Lines"}}}}},
                          json{{"group", 0}, {"attrs", {{{"weatherType", "3"}}}}}, json{{"group", 9e30}, {"attrs", 1}},
                          json::array({1, 2})})
    EXPECT_EQ(Post("/api/weather/groups", bad), 400) << bad.dump();
  ui_.Run([] {
    opt::Weather_ActiveGroup.ResetToDefault();
    opt::WeatherGroupSetting(0, "Version")->Set("0");
  });
  ui_.Run([] { UpgradeWeatherGroups(); });
  EXPECT_EQ(Get("/api/weather")["groups"][0]["attrs"][0]["weatherType"], 29) << "an old group is reset";
}

}  // namespace
}  // namespace tarnwick
