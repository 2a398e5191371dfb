#include "instruments/ports/ElectronicsDb.h"

#include <gtest/gtest.h>

#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/ports/PortList.h"
#include "instruments/ports/PortManager.h"
#include "instruments/tests/PortTestSupport.h"

namespace tarnwick {
namespace {

TEST(ElectronicsDb, CreatesTheTablesAndKeepsOneRowPerPort) {
  testing::CTempFolder folder;
  const auto path = folder / "electronics.db";
  {
    CElectronicsDb db;
    ASSERT_TRUE(db.Open(path));
    EXPECT_TRUE(db.ListPorts().empty());
    EXPECT_FALSE(db.ReadPort("ttyUSB0"));
    EXPECT_TRUE(db.WritePort("ttyUSB0", R"({"baud":"4800"})"));
    EXPECT_TRUE(db.WritePort("ttyUSB0", R"({"baud":"38400"})"));
    EXPECT_TRUE(db.WritePort("x-nmea0183-udp://*:17608/", "{}"));
    EXPECT_EQ(db.ReadPort("ttyUSB0"), R"({"baud":"38400"})");
    const auto rows = db.ListPorts();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].port, "ttyUSB0");
    EXPECT_EQ(rows[1].port, "x-nmea0183-udp://*:17608/");
    EXPECT_TRUE(db.RemovePort("ttyUSB0"));
    EXPECT_TRUE(db.RemovePort("not-there"));
    EXPECT_EQ(db.ListPorts().size(), 1u);
  }
  CSqliteDatabase raw;
  ASSERT_EQ(raw.Open(path), SQLITE_OK);
  CSqliteStatement tables(raw,
                          "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;");
  std::vector<std::string> names;
  while (tables.Step() == SQLITE_ROW) names.push_back(tables.Text(0));
  EXPECT_EQ(names,
            (std::vector<std::string>{"Corvel_Devices", "NMEA2000_Devices", "PortMonitors"}));
  CSqliteStatement columns(raw, "SELECT name FROM pragma_table_info('Corvel_Devices');");
  std::vector<std::string> corvel;
  while (columns.Step() == SQLITE_ROW) corvel.push_back(columns.Text(0));
  EXPECT_EQ(corvel, (std::vector<std::string>{"serial", "label", "firmware_date", "firmware_url"}));
}

TEST(ElectronicsDb, AFileThatIsNoDatabaseIsRefused) {
  testing::CTempFolder folder;
  testing::WriteFile(folder / "electronics.db", std::string(4096, 'x'));
  CElectronicsDb db;
  EXPECT_FALSE(db.Open(folder / "electronics.db"));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.WritePort("ttyS0", "{}"));
  EXPECT_TRUE(db.ListPorts().empty());
}

TEST(PortManager, BuildsAPortForEveryUsableRow) {
  testing::CTempFolder folder;
  testing::CTempFolder runtime;
  testing::CScopedEnv env("XDG_RUNTIME_DIR", runtime.Path().string());
  const auto path = folder / "electronics.db";
  {
    CElectronicsDb db;
    ASSERT_TRUE(db.Open(path));
    db.WritePort("pipe/one", R"({"label":"Plotter"})");
    db.WritePort("pipe/two", R"({"openAtStartup":"false"})");
    db.WritePort("pipe/three", R"({"driver":"none"})");
    db.WritePort("pipe/four", R"({"driver":"garmin"})");
    db.WritePort("pipe/five", R"({"baud":"fast"})");
    db.WritePort("bogus://x", "{}");
  }
  CPortManager manager;
  EXPECT_EQ(manager.CreateAll(path), 2u);
  EXPECT_EQ(manager.Count(), 2u);
  std::vector<std::string> running;
  manager.ForEach([&](CNmeaPort& port) {
    running.push_back(port.Label() + (port.IsRunning() ? " running" : " stopped"));
  });
  EXPECT_EQ(running, (std::vector<std::string>{"Plotter running", "pipe/two stopped"}));

  // Restarting builds the ports again from the file as it is now.
  {
    CElectronicsDb db;
    ASSERT_TRUE(db.Open(path));
    db.RemovePort("pipe/two");
  }
  EXPECT_EQ(manager.Restart(path), 1u);
  EXPECT_EQ(manager.Count(), 1u);
  manager.Shutdown();
  EXPECT_EQ(manager.Count(), 0u);
  manager.Shutdown();
}

}  // namespace
}  // namespace tarnwick
