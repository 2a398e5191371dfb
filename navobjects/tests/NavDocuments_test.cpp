// Documents: layers, delete and restore, duplicate membership, undo, copy and
// paste, opening a folder, and saving that never loses the old file.

#include <gtest/gtest.h>

#include <cerrno>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Storage.h"
#include "core/tests/support/TestSupport.h"
#include "navobjects/documents/NavDocuments.h"
#include "navobjects/files/NobReader.h"

namespace tarnwick {
namespace {

class NavDocumentsTest : public ::testing::Test {
 protected:
  NavDocumentsTest() { Storage().Open(temp_ / "storage.db"); }
  std::shared_ptr<CMark> NewMark(CNavDocuments& docs, double lat) {
    auto mark = std::make_shared<CMark>();
    mark->position = {lat, 1};
    docs.AddObject(mark);
    return mark;
  }
  testing::CTempFolder temp_;
};

TEST_F(NavDocumentsTest, NewLayerIsNamedByTheTimeAndFiledByUuid) {
  CSimulatedClock clock(1000, 1'717'243'500'000);  // 2024-06-01T12:05:00Z
  CScopedClock use(clock);
  testing::CScopedEnv tz("TZ", "UTC");
  tzset();
  CNavDocuments docs(temp_.Path());
  auto layer = docs.CreateLayer();
  EXPECT_EQ(layer->name, "Layer created: 6/1/2024 12:05");
  EXPECT_EQ(layer->File().parent_path(), temp_.Path());
  EXPECT_EQ(layer->File().extension(), ".nob");
  EXPECT_EQ(layer->File().stem().string().size(), 36u);
  EXPECT_TRUE(docs.DeleteLayer(*layer));
  EXPECT_FALSE(docs.DeleteLayer(docs.DefaultLayer()));
}

TEST_F(NavDocumentsTest, DuplicateMembershipIsRefusedAndNothingChanges) {
  CNavDocuments docs(temp_.Path());
  auto a = NewMark(docs, 1), b = NewMark(docs, 2);
  auto route = docs.CreateRoute({});
  ASSERT_TRUE(docs.AddRouteMarkToEnd(*route, a).ok);
  ASSERT_TRUE(docs.AddRouteMarkToEnd(*route, b).ok);
  EditResult again = docs.InsertRouteMark(*route, 0, a);
  EXPECT_FALSE(again.ok);
  EXPECT_EQ(again.message, "A waypoint cannot be included in a route more than once.");
  EXPECT_EQ(route->Marks().size(), 2u);
  EXPECT_EQ(route->Legs().size(), 1u);

  auto boundary = docs.CreateBoundary({{0, 0}, {0, 1}});
  auto corner = boundary->Marks()[0];
  EditResult twice = InsertBoundaryMark(*boundary, 2, corner);
  EXPECT_EQ(twice.message, "A mark cannot be included in a boundary more than once.");
  EXPECT_EQ(boundary->Marks().size(), 2u);
  route->name = "Home";
  EXPECT_EQ(AddToEndLabel(*route), "Add to End of Home");
}

TEST_F(NavDocumentsTest, ForkAndRemoveKeepTheOriginalIntact) {
  CNavDocuments docs(temp_.Path());
  auto route = docs.CreateRoute({{0, 0}, {0, 1}, {0, 2}});
  auto fork = docs.ForkRoute(*route, 1);
  ASSERT_NE(fork, nullptr);
  EXPECT_EQ(fork->Marks().size(), 2u);
  EXPECT_EQ(fork->Marks()[1], route->Marks()[1]);
  EXPECT_EQ(docs.ForkRoute(*route, 3), nullptr);
  EXPECT_TRUE(docs.RemoveRouteMark(*route, 1).ok);
  EXPECT_FALSE(docs.RemoveRouteMark(*route, 5).ok);
  EXPECT_EQ(route->Marks().size(), 2u);
  EXPECT_TRUE(docs.InsertNewMark(*route, 1, {0, 1.5}).ok);
  EXPECT_EQ(route->Marks()[1]->position, (LatLon{0, 1.5}));
  EXPECT_EQ(docs.LayerOf(*route->Marks()[1]), &docs.DefaultLayer());
}

TEST_F(NavDocumentsTest, DeletedObjectsWaitInTheDeletedLayerUntilRestored) {
  CNavDocuments docs(temp_.Path());
  auto shared = NewMark(docs, 5);
  shared->existsOutsideCollection = true;
  auto route = docs.CreateRoute({{0, 0}, {0, 1}});
  docs.AddRouteMarkToEnd(*route, shared);
  auto own = route->Marks()[0];
  ASSERT_TRUE(docs.DeleteObject(*route));
  EXPECT_EQ(docs.LayerOf(*route), &docs.DeletedLayer());
  EXPECT_EQ(docs.LayerOf(*own), &docs.DeletedLayer());     // only the route used it
  EXPECT_EQ(docs.LayerOf(*shared), &docs.DefaultLayer());  // a mark in its own right
  EXPECT_EQ(docs.DeletedLayer().name, "_deleted");
  EXPECT_EQ(CNavDocuments::RestoreCommand(route->Id()), "cmd:restore-item?id=" + route->Id());
  ASSERT_TRUE(docs.Restore(route->Id()));
  EXPECT_EQ(docs.LayerOf(*route), &docs.DefaultLayer());
  EXPECT_EQ(docs.LayerOf(*own), &docs.DefaultLayer());
  EXPECT_FALSE(docs.Restore(route->Id()));

  // A deleted waypoint leaves its route.
  docs.DeleteObjects({shared});
  EXPECT_EQ(route->Marks().size(), 2u);
  EXPECT_EQ(route->Legs().size(), 1u);
}

TEST_F(NavDocumentsTest, PropertyChangesUndoAndRedoWithTheirLabels) {
  CNavDocuments docs(temp_.Path());
  auto mark = NewMark(docs, 1);
  docs.DefaultLayer().SetModified(false);
  CUndoStack& undo = docs.Undo();
  EXPECT_EQ(undo.SetFromText(mark, "Name", "Pier"), SetResult::Changed);
  EXPECT_TRUE(docs.DefaultLayer().IsModified());
  EXPECT_EQ(undo.SetFromText(mark, "Color", "blue"), SetResult::Changed);  // unchanged: no step
  EXPECT_EQ(undo.SetFromText(mark, "Position", "nowhere"), SetResult::BadValue);
  EXPECT_EQ(undo.UndoLabel(), "Change Name");
  ASSERT_TRUE(undo.Undo());
  EXPECT_EQ(mark->name, "");
  EXPECT_FALSE(undo.CanUndo());
  ASSERT_TRUE(undo.Redo());
  EXPECT_EQ(mark->name, "Pier");

  auto other = NewMark(docs, 2);
  docs.LockPositions(docs.DefaultLayer(), true);
  EXPECT_TRUE(mark->lockPosition && other->lockPosition);
  EXPECT_EQ(undo.UndoLabel(), "Lock Positions");
  undo.Undo();
  EXPECT_FALSE(mark->lockPosition || other->lockPosition);
  docs.ShowNames(docs.DefaultLayer(), false);
  EXPECT_FALSE(mark->showName);
  EXPECT_EQ(undo.UndoLabel(), "Hide Names");
}

TEST_F(NavDocumentsTest, CopyCarriesReferencedMarksAndPasteGivesNewIds) {
  CNavDocuments docs(temp_.Path());
  auto route = docs.CreateRoute({{0, 0}, {0, 1}});
  const std::string text = docs.CopyObjects({route});
  auto pasted = docs.PasteObjects(text, docs.DefaultLayer());
  ASSERT_EQ(pasted.size(), 3u);
  auto copy = std::dynamic_pointer_cast<CRoute>(pasted[0]);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->Id(), route->Id());
  ASSERT_EQ(copy->Marks().size(), 2u);
  EXPECT_NE(copy->Marks()[0], route->Marks()[0]);
  EXPECT_EQ(copy->Marks()[0], pasted[1]);
  EXPECT_TRUE(docs.PasteObjects("garbage", docs.DefaultLayer()).empty());
  const std::string cut = docs.CutObjects({copy});
  EXPECT_EQ(docs.LayerOf(*copy), &docs.DeletedLayer());
  EXPECT_NE(cut.find(copy->Id()), std::string::npos);
}

TEST_F(NavDocumentsTest, OpenFolderLoadsEveryDocumentAndReportsMissingMarks) {
  testing::WriteFile(
      temp_ / "Other.nob",
      "<?xml version=\"1.0\"?>\r\n<NavObjectCollection>\r\n"
      "\t<Route created=\"20240501T000000Z\" id=\"R\"><Marks>\r\nLOST\r\n</Marks></Route>\r\n"
      "</NavObjectCollection>\r\n");
  testing::WriteFile(temp_ / "Broken.nob", "<NavObjectCollection><Mark>");
  const uint64_t before = Notifications().Since(0).empty() ? 0 : Notifications().Since(0).back().id;
  CNavDocuments docs(temp_.Path());
  EXPECT_EQ(docs.OpenFolder(), 1);
  ASSERT_EQ(docs.Layers().size(), 2u);  // Other.nob and the default document
  EXPECT_EQ(docs.Layers()[1]->File().filename(), "MyRoutes.nob");
  bool reported = false;
  for (const auto& n : Notifications().Since(before))
    reported = reported || n.text.find(kMissingObjectsTitle) != std::string::npos;
  EXPECT_TRUE(reported);
  // The unreadable file is left as it was.
  EXPECT_EQ(testing::ReadFile(temp_ / "Broken.nob"), "<NavObjectCollection><Mark>");
}

TEST_F(NavDocumentsTest, SavedLayersReopenWithTheirObjectsAndProperties) {
  {
    CNavDocuments docs(temp_.Path());
    docs.CreateRoute({{10, 10}, {10, 11}})->name = "Saved";
    docs.DefaultLayer().category = "Cruise";
    EXPECT_EQ(docs.SaveModified(), 0);
    EXPECT_FALSE(docs.DefaultLayer().IsModified());
  }
  CNavDocuments docs(temp_.Path());
  docs.OpenFolder();
  CLayer& layer = docs.DefaultLayer();
  EXPECT_EQ(layer.category, "Cruise");
  ASSERT_EQ(layer.Objects().size(), 3u);
  EXPECT_EQ(layer.Objects()[0]->name, "Saved");
}

TEST_F(NavDocumentsTest, ALayerFileCarriesMarksItsRoutesBorrowFromOtherLayers) {
  CNavDocuments docs(temp_.Path());
  auto shared = NewMark(docs, 3);  // in the default layer
  auto layer = docs.CreateLayer();
  auto route = docs.CreateRoute({{4, 4}}, layer.get());
  ASSERT_TRUE(docs.AddRouteMarkToEnd(*route, shared).ok);
  ASSERT_TRUE(docs.SaveLayer(*layer));
  NobReadResult result = ReadNobFile(layer->File());
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.missingIds.empty());
  EXPECT_EQ(result.objects.size(), 3u);

  // Opened again, the borrowed mark is the one of its own layer, once.
  ASSERT_EQ(docs.SaveModified(), 0);
  CNavDocuments again(temp_.Path());
  again.OpenFolder();
  int copies = 0;
  for (const auto& each : again.Layers())
    if (each->Find(shared->Id())) ++copies;
  EXPECT_EQ(copies, 1);
  auto reopened = std::dynamic_pointer_cast<CRoute>(again.FindObject(route->Id()));
  ASSERT_TRUE(reopened);
  ASSERT_EQ(reopened->Marks().size(), 2u);
  EXPECT_EQ(reopened->Marks()[1], again.DefaultLayer().Find(shared->Id()));
}

TEST_F(NavDocumentsTest, LayerSettingsChangedByTheNavigatorAreKeptOverARestart) {
  std::string file;
  {
    CNavDocuments docs(temp_.Path());
    auto layer = docs.CreateLayer();
    file = layer->File().filename().string();
    ASSERT_EQ(docs.Undo().SetValue(layer, "ReadOnly", PropertyValue(true)), SetResult::Changed);
    docs.Undo().SetValue(layer, "ScaleMin", PropertyValue(int32_t{50000}));
    docs.Undo().SetValue(layer, "Name", PropertyValue(std::string("Harbour")));
    layer->viewSettings.scale = 25000;
    layer->viewSettings.position = {59.5, 24.75};
    docs.Touch(layer->viewSettings);
    ASSERT_EQ(docs.SaveModified(), 0);
  }
  CNavDocuments docs(temp_.Path());
  docs.OpenFolder();
  CLayer* layer = docs.FindLayer(file);
  ASSERT_NE(layer, nullptr);
  EXPECT_TRUE(layer->readOnly);
  EXPECT_EQ(layer->scaleMin, 50000);
  EXPECT_EQ(layer->name, "Harbour");
  EXPECT_EQ(layer->viewSettings.scale, 25000);
  EXPECT_NEAR(layer->viewSettings.position.lat, 59.5, 1e-6);
}

TEST_F(NavDocumentsTest, DeletedObjectsRestoreToTheirLayerAfterARestartAndArePurgedLater) {
  CSimulatedClock clock(1000, 1'717'243'500'000);
  CScopedClock use(clock);
  std::string routeId, oldId;
  {
    CNavDocuments docs(temp_.Path());
    auto layer = docs.CreateLayer();
    auto route = docs.CreateRoute({{1, 1}, {1, 2}}, layer.get());
    auto old = NewMark(docs, 7);
    routeId = route->Id();
    oldId = old->Id();
    docs.DeleteObjects({old});
    clock.Advance(20LL * 24 * 3600 * 1000);
    docs.DeleteObjects({route});
    ASSERT_EQ(docs.SaveModified(), 0);
  }
  clock.Advance(15LL * 24 * 3600 * 1000);  // the mark's 30 days are over, the route's not
  CNavDocuments docs(temp_.Path());
  docs.OpenFolder();
  EXPECT_EQ(docs.FindObject(oldId), nullptr);
  EXPECT_EQ(ReadNobFile(docs.DeletedLayer().File()).objects.size(), 3u);  // purged at once
  ASSERT_TRUE(docs.Restore(routeId));
  EXPECT_NE(docs.LayerOf(*docs.FindObject(routeId)), &docs.DefaultLayer());
}

TEST_F(NavDocumentsTest, StructuralEditsUndoAndRedoAsOneStep) {
  CNavDocuments docs(temp_.Path());
  auto keep = NewMark(docs, 9);
  std::shared_ptr<CRoute> route;
  docs.RecordEdit("Instant Route", [&] { route = docs.CreateRoute({{1, 1}, {1, 2}, {1, 3}}); });
  docs.RecordEdit("Delete Objects", [&] { docs.DeleteObjects({keep}); });
  docs.RecordEdit("Remove From Route", [&] { docs.RemoveRouteMark(*route, 1); });
  ASSERT_EQ(route->Marks().size(), 2u);

  ASSERT_TRUE(docs.Undo().Undo());
  EXPECT_EQ(route->Marks().size(), 3u);
  EXPECT_EQ(route->Legs().size(), 2u);
  ASSERT_TRUE(docs.Undo().Undo());
  EXPECT_EQ(docs.LayerOf(*keep), &docs.DefaultLayer());
  EXPECT_TRUE(docs.DeletedFrom(keep->Id()).empty());
  ASSERT_TRUE(docs.Undo().Undo());
  EXPECT_EQ(docs.LayerOf(*route), nullptr);
  EXPECT_EQ(docs.DefaultLayer().Objects().size(), 1u);

  ASSERT_TRUE(docs.Undo().Redo());
  ASSERT_TRUE(docs.Undo().Redo());
  EXPECT_EQ(docs.LayerOf(*keep), &docs.DeletedLayer());
  EXPECT_EQ(docs.DeletedFrom(keep->Id()), "MyRoutes.nob");
  EXPECT_EQ(docs.LayerOf(*route), &docs.DefaultLayer());
}

// File operations that fail the n-th write with a full disk.
class CFailingOps final : public IFileOps {
 public:
  explicit CFailingOps(int failAtWrite) : failAtWrite_(failAtWrite) {}
  int Create(const std::filesystem::path& p) override { return SystemFileOps().Create(p); }
  ssize_t Write(int fd, const char* data, size_t size) override {
    if (++writes_ == failAtWrite_) {
      errno = ENOSPC;
      return -1;
    }
    // Short writes make the saver loop, so a later write can fail mid-file.
    return SystemFileOps().Write(fd, data, std::min<size_t>(size, 16));
  }
  int Sync(int fd) override { return SystemFileOps().Sync(fd); }
  int Close(int fd) override { return SystemFileOps().Close(fd); }
  int Rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return SystemFileOps().Rename(a, b);
  }
  int Unlink(const std::filesystem::path& p) override { return SystemFileOps().Unlink(p); }
  int SyncFolder(const std::filesystem::path& f) override { return SystemFileOps().SyncFolder(f); }

 private:
  int failAtWrite_;
  int writes_ = 0;
};

TEST_F(NavDocumentsTest, AFailedSaveLeavesThePreviousFileIntact) {
  {
    CNavDocuments docs(temp_.Path());
    docs.CreateRoute({{1, 1}, {1, 2}})->name = "Keep me";
    ASSERT_EQ(docs.SaveModified(), 0);
  }
  const std::filesystem::path file = temp_ / kDefaultDocumentName;
  const std::string saved = testing::ReadFile(file);
  CFailingOps ops(3);
  CNavDocuments docs(temp_.Path(), ops);
  docs.OpenFolder();
  docs.CreateRoute({{2, 1}, {2, 2}, {2, 3}})->name = "Never written";
  CLogCapture log;
  EXPECT_EQ(docs.SaveModified(), 1);
  EXPECT_TRUE(docs.DefaultLayer().IsModified());
  EXPECT_EQ(testing::ReadFile(file), saved);
  EXPECT_FALSE(std::filesystem::exists(temp_ / "MyRoutes.nob.tmp"));
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_NE(log.Lines().back().find("No space left on device"), std::string::npos);
}

TEST_F(NavDocumentsTest, AutoSaveWaitsForTheInterval) {
  CNavDocuments docs(temp_.Path());
  docs.CreateRoute({{1, 1}});
  docs.AutoSaveTick(1000);  // starts the interval
  docs.AutoSaveTick(30'000);
  EXPECT_FALSE(std::filesystem::exists(temp_ / kDefaultDocumentName));
  docs.AutoSaveTick(61'000);
  EXPECT_TRUE(std::filesystem::exists(temp_ / kDefaultDocumentName));
  EXPECT_FALSE(docs.DefaultLayer().IsModified());
}

}  // namespace
}  // namespace tarnwick
