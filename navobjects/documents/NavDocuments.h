#pragma once
// The navigation object documents: every layer of the NavObjects folder, the
// "_deleted" layer that holds deleted objects until they are restored, layer
// operations, copy and paste, saving and autosave, and the undo stack.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "navobjects/documents/RouteEditing.h"
#include "navobjects/documents/UndoStack.h"
#include "navobjects/files/AtomicFile.h"
#include "navobjects/model/Layer.h"
#include "navobjects/model/Track.h"

namespace tarnwick {

inline constexpr const char* kDefaultDocumentName = "MyRoutes.nob";
inline constexpr const char* kAutoSaveDocumentName = "AutoSave.nob";
inline constexpr const char* kVesselDocumentName = "Vessel.nob";
inline constexpr const char* kDeletedLayerName = "_deleted";
inline constexpr const char* kDragLockedMessage =
    "The object you are trying to drag is locked. Would you like to unlock it?";
// "The layer \"%s\" is read-only." with the layer's name.
inline constexpr const char* kReadOnlyLayerMessage = "The layer \"$1\" is read-only.";
// Deleted objects are purged from "_deleted" this long after their deletion (ms).
inline constexpr int64_t kDeletedKeepMs = 30LL * 24 * 3600 * 1000;
inline constexpr const char* kMissingObjectsTitle =
    "The following objects were referenced, but did not appear in the file:";

// Hooks for commands that belong to other parts of the program (route
// activation, the track recorder); unset hooks make the command fail.
struct NavCommandHooks {
  std::function<bool(CSelectable&)> activate;
  std::function<bool(CSelectable&)> deactivate;
  std::function<bool(CTrack&)> startNewTrack;
};

class CNavDocuments final : public INavCommandHost {
 public:
  // folder: the NavObjects folder; ops: the file operations saves go through.
  explicit CNavDocuments(std::filesystem::path folder, IFileOps& ops = SystemFileOps());
  CNavDocuments(const CNavDocuments&) = delete;
  CNavDocuments& operator=(const CNavDocuments&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }

  // Opens every ".nob" file of the folder (the default document first, then
  // by name) and makes sure the default document exists. A file that cannot
  // be read is logged and skipped, never overwritten. Returns the layers opened.
  int OpenFolder();
  // Reads one file as a new layer; missing references are reported to the
  // navigator. Null when the file cannot be read.
  std::shared_ptr<CLayer> OpenLayer(const std::filesystem::path& file);
  // A new empty layer "<folder>/<uuid>.nob" named "Layer created: M/D/YYYY HH:MM"
  // (local time).
  std::shared_ptr<CLayer> CreateLayer();
  // Removes the layer and its file. The default and "_deleted" layers stay.
  bool DeleteLayer(CLayer& layer);

  const std::vector<std::shared_ptr<CLayer>>& Layers() const { return layers_; }
  // The default document (created on first use).
  CLayer& DefaultLayer() { return DocumentLayer(kDefaultDocumentName); }
  // The layer of that file name in the folder ("AutoSave.nob"), created on first use.
  CLayer& DocumentLayer(const std::string& fileName);
  CLayer& DeletedLayer() { return *deleted_; }
  const CLayer& DeletedLayer() const { return *deleted_; }
  // The layer holding object (the "_deleted" layer included), or nullptr.
  CLayer* LayerOf(const CSelectable& object) const;
  std::shared_ptr<CNavObject> FindObject(const std::string& id) const;
  // Adds object to layer (the default layer when null) as a new object.
  void AddObject(std::shared_ptr<CNavObject> object, CLayer* layer = nullptr);

  // Layer operations; each many-object change is one undo step.
  void ShowObjects(CLayer& layer, bool show);
  void LockPositions(CLayer& layer, bool lock);
  void ShowNames(CLayer& layer, bool show);

  // The object-file text of objects with the marks they reference ("Copy").
  std::string CopyObjects(const std::vector<std::shared_ptr<CNavObject>>& objects) const;
  // Copy, then delete ("Cut Objects").
  std::string CutObjects(const std::vector<std::shared_ptr<CNavObject>>& objects);
  // Reads text and adds its objects to layer; objects whose id is taken get
  // new ids (references follow). Returns the added objects (empty when the
  // text is no document).
  std::vector<std::shared_ptr<CNavObject>> PasteObjects(std::string_view text, CLayer& layer);
  // Moves objects to "_deleted" ("Delete Objects"). A deleted mark leaves the
  // routes and outlines of its layer; a deleted path takes along the marks
  // that only it used.
  void DeleteObjects(const std::vector<std::shared_ptr<CNavObject>>& objects);
  // Moves a deleted object back to the layer it came from (or the default
  // layer) - the "cmd:restore-item?id=%s" command.
  bool Restore(const std::string& id);
  // "cmd:restore-item?id=<id>".
  static std::string RestoreCommand(const std::string& id);

  // Why object may not be changed (its layer is read-only; with
  // positionChange, also when the object is locked), or "" when it may.
  std::string RefuseEdit(const CNavObject& object, bool positionChange) const;
  // The layer whose file name is fileName ("_deleted" included), or nullptr.
  CLayer* FindLayer(const std::string& fileName) const;
  // The file name of the layer a deleted object came from, or "".
  std::string DeletedFrom(const std::string& id) const;
  // Runs edit and records it as one undo step labelled label: undo and redo
  // put back which objects each layer holds and the mark lists and legs of
  // every path. Layers whose contents changed are marked modified. An edit
  // that changed none of these records no step.
  void RecordEdit(const std::string& label, const std::function<void()>& edit);

  // Route and outline editing; the objects' layers are marked modified.
  EditResult InsertRouteMark(CRoute& route, size_t index, std::shared_ptr<CMark> mark);
  EditResult AddRouteMarkToEnd(CRoute& route, std::shared_ptr<CMark> mark);
  EditResult RemoveRouteMark(CRoute& route, size_t index);
  std::shared_ptr<CRoute> ForkRoute(CRoute& route, size_t index);
  // "Insert New Mark": a new mark at where, inserted before index.
  EditResult InsertNewMark(CRoute& route, size_t index, const LatLon& where);
  // "Instant Route", "Create Boundary": new marks at the positions and the path through them.
  std::shared_ptr<CRoute> CreateRoute(const std::vector<LatLon>& points, CLayer* layer = nullptr);
  std::shared_ptr<CBoundary> CreateBoundary(const std::vector<LatLon>& points,
                                            CLayer* layer = nullptr);
  // "Create Boundary Circle": a mark whose range circle is announced.
  std::shared_ptr<CMark> CreateBoundaryCircle(const LatLon& centre, const Length& radius,
                                              CLayer* layer = nullptr);
  // "Create Annotation".
  std::shared_ptr<CAnnotation> CreateAnnotation(const LatLon& where, std::string text,
                                                CLayer* layer = nullptr);

  // Saves one layer atomically; logs and returns false on failure (the old
  // file stays as it was).
  bool SaveLayer(CLayer& layer);
  // Saves every modified layer; returns how many failed.
  int SaveModified();
  // Autosave by Documents_AutoSave and Documents_AutoSaveInterval; called each tick.
  void AutoSaveTick(uint64_t tickMs);
  // Marks the layer of object as modified.
  void Touch(const CSelectable& object);

  CUndoStack& Undo() { return undo_; }
  const CUndoStack& Undo() const { return undo_; }
  NavCommandHooks& Hooks() { return hooks_; }

  // INavCommandHost
  bool DeleteObject(CSelectable& object) override;
  bool ActivateObject(CSelectable& object) override;
  bool DeactivateObject(CSelectable& object) override;
  bool ConvertTrackToRoute(CTrack& track) override;
  bool StartNewTrack(CTrack& track) override;

 private:
  std::shared_ptr<CLayer> AddLayer(std::filesystem::path file);
  void LoadLayerProperties(CLayer& layer);
  void SaveLayerProperties(const CLayer& layer);
  void DetachMark(CLayer& layer, const CMark& mark);
  CLayer& Target(CLayer* layer) { return layer != nullptr ? *layer : DefaultLayer(); }
  void NoteDeleted(const CNavObject& object, const CLayer& from);
  void ForgetDeleted(const std::string& id);
  void LoadDeletedRecords();
  void ResolveBorrowedMarks();

  // Which objects each layer holds and every path's marks and legs.
  struct State {
    struct LayerContents {
      std::weak_ptr<CLayer> layer;
      std::vector<std::shared_ptr<CNavObject>> objects;
    };
    struct PathContents {
      std::weak_ptr<CMarkPath> path;
      std::vector<std::shared_ptr<CMark>> marks;
      std::vector<std::shared_ptr<CRouteLeg>> legs;
    };
    std::vector<LayerContents> layers;
    std::vector<PathContents> paths;
    bool operator==(const State& other) const;
  };
  State Capture() const;
  void Put(const State& state);

  std::filesystem::path folder_;
  IFileOps& ops_;
  std::vector<std::shared_ptr<CLayer>> layers_;
  std::shared_ptr<CLayer> deleted_;
  // object id -> layer file name, kept in the store so that restoring works after a restart
  std::unordered_map<std::string, std::string> deletedFrom_;
  CUndoStack undo_;
  NavCommandHooks hooks_;
  std::optional<uint64_t> lastAutoSave_;
};

}  // namespace tarnwick
