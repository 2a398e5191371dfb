#include "navobjects/documents/NavDocuments.h"

#include <algorithm>
#include <ctime>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/Storage.h"
#include "core/settings/DocumentsSettings.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"
#include "navobjects/model/PropertyText.h"

namespace tarnwick {
namespace {

// Layer properties live in the key-value store, one row per layer file.
constexpr const char* kLayerDomain = "NavObjectLayers";
// The ids of the marks a layer's file carries for its paths but another layer
// owns, one row per layer file (a JSON array).
constexpr const char* kBorrowedDomain = "NavObjectLayerBorrowed";

std::string FileKey(const CLayer& layer) {
  return layer.File().filename().string();
}

// Every mark a path object references.
std::vector<std::shared_ptr<CMark>> ReferencedMarks(const CNavObject& object) {
  if (const auto* path = dynamic_cast<const CMarkPath*>(&object)) return path->Marks();
  return {};
}

// Whether any object of layer other than `except` references mark.
bool UsedByOthers(const CLayer& layer, const CMark& mark, const CNavObject& except) {
  for (const auto& object : layer.Objects()) {
    if (object.get() == &except) continue;
    const auto* path = dynamic_cast<const CMarkPath*>(object.get());
    if (path != nullptr && path->Contains(mark)) return true;
  }
  return false;
}

}  // namespace

CNavDocuments::CNavDocuments(std::filesystem::path folder, IFileOps& ops)
    : folder_(std::move(folder)), ops_(ops) {
  deleted_ = std::make_shared<CLayer>();
  deleted_->name = kDeletedLayerName;
  deleted_->visible = false;
  deleted_->SetFile(folder_ / (std::string(kDeletedLayerName) + ".nob"));
  undo_.SetChangeListener([this](CSelectable& object) { Touch(object); });
}

int CNavDocuments::OpenFolder() {
  EnsureFolder(folder_);
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".nob")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    const bool aDefault = a.filename() == kDefaultDocumentName;
    const bool bDefault = b.filename() == kDefaultDocumentName;
    return aDefault != bDefault ? aDefault : a.filename() < b.filename();
  });
  int opened = 0;
  for (const auto& file : files) {
    if (file.filename() == deleted_->File().filename()) {
      NobReadResult result = ReadNobFile(file);
      if (!result.ok) {
        Log("CNavDocuments::OpenFolder %s\n", result.error.c_str());
        continue;
      }
      for (auto& object : result.objects) deleted_->Add(std::move(object));
      continue;
    }
    if (OpenLayer(file) != nullptr) ++opened;
  }
  DefaultLayer();
  ResolveBorrowedMarks();
  LoadDeletedRecords();
  return opened;
}

void CNavDocuments::ResolveBorrowedMarks() {
  for (size_t index = 0; index < layers_.size(); ++index) {
    CLayer& layer = *layers_[index];
    std::unordered_set<std::string> borrowed;
    if (auto stored = Storage().Get(kBorrowedDomain, FileKey(layer))) {
      const nlohmann::json ids = nlohmann::json::parse(*stored, nullptr, false);
      if (ids.is_array())
        for (const auto& id : ids)
          if (id.is_string()) borrowed.insert(id.get<std::string>());
    }
    const auto objects = layer.Objects();
    for (const auto& object : objects) {
      auto copy = std::dynamic_pointer_cast<CMark>(object);
      if (!copy) continue;
      // The owner: the layer that does not borrow it; without records, the layer opened first.
      std::shared_ptr<CMark> owner;
      for (size_t other = 0; other < layers_.size() && !owner; ++other) {
        if (other == index) continue;
        auto found = std::dynamic_pointer_cast<CMark>(layers_[other]->Find(copy->Id()));
        if (found && (borrowed.count(copy->Id()) > 0 || other < index)) owner = found;
      }
      if (!owner) continue;
      for (const auto& item : layer.Objects())
        if (auto* path = dynamic_cast<CMarkPath*>(item.get()))
          for (auto& mark : path->MutableMarks())
            if (mark == copy) mark = owner;
      layer.Remove(*copy);
    }
  }
}

std::shared_ptr<CLayer> CNavDocuments::OpenLayer(const std::filesystem::path& file) {
  NobReadResult result = ReadNobFile(file);
  if (!result.ok) {
    Log("CNavDocuments::OpenLayer %s\n", result.error.c_str());
    Notifications().Post(NotificationKind::Error,
                         ExpandMessage("$AppTitle cannot read $1.", {result.error}));
    return nullptr;
  }
  if (!result.missingIds.empty())
    Notifications().Post(NotificationKind::Warning, result.MissingObjectsMessage());
  auto layer = AddLayer(file);
  for (auto& object : result.objects) layer->Add(std::move(object));
  LoadLayerProperties(*layer);
  layer->SetModified(false);
  return layer;
}

std::shared_ptr<CLayer> CNavDocuments::AddLayer(std::filesystem::path file) {
  auto layer = std::make_shared<CLayer>();
  layer->SetFile(std::move(file));
  layer->name = layer->File().stem().string();
  layers_.push_back(layer);
  return layer;
}

std::shared_ptr<CLayer> CNavDocuments::CreateLayer() {
  std::string id = NewObjectId();
  auto layer = AddLayer(folder_ / (id.substr(1, id.size() - 2) + ".nob"));
  const time_t now = static_cast<time_t>(UtcNowMs() / 1000);
  struct tm local {};
  localtime_r(&now, &local);
  char name[64];
  snprintf(name, sizeof name, "Layer created: %d/%d/%d %02d:%02d", local.tm_mon + 1, local.tm_mday,
           local.tm_year + 1900, local.tm_hour, local.tm_min);
  layer->name = name;
  layer->SetModified(true);
  SaveLayerProperties(*layer);
  return layer;
}

bool CNavDocuments::DeleteLayer(CLayer& layer) {
  if (&layer == deleted_.get() || layer.File().filename() == kDefaultDocumentName) return false;
  auto it = std::find_if(layers_.begin(), layers_.end(),
                         [&](const auto& l) { return l.get() == &layer; });
  if (it == layers_.end()) return false;
  std::error_code ec;
  std::filesystem::remove(layer.File(), ec);
  Storage().Remove(kLayerDomain, FileKey(layer));
  Storage().Remove(kBorrowedDomain, FileKey(layer));
  undo_.Clear();  // steps may refer to the objects that go with the layer
  layers_.erase(it);
  return true;
}

CLayer& CNavDocuments::DocumentLayer(const std::string& fileName) {
  for (const auto& layer : layers_)
    if (layer->File().filename() == fileName) return *layer;
  auto layer = AddLayer(folder_ / fileName);
  layer->SetModified(true);
  return *layer;
}

CLayer* CNavDocuments::LayerOf(const CSelectable& object) const {
  for (const auto& layer : layers_)
    for (const auto& o : layer->Objects())
      if (o.get() == &object) return layer.get();
  for (const auto& o : deleted_->Objects())
    if (o.get() == &object) return deleted_.get();
  return nullptr;
}

std::shared_ptr<CNavObject> CNavDocuments::FindObject(const std::string& id) const {
  for (const auto& layer : layers_)
    if (auto object = layer->Find(id)) return object;
  return deleted_->Find(id);
}

void CNavDocuments::AddObject(std::shared_ptr<CNavObject> object, CLayer* layer) {
  CLayer& target = Target(layer);
  target.Add(std::move(object));
  target.SetModified(true);
}

void CNavDocuments::Touch(const CSelectable& object) {
  for (const auto& layer : layers_) {
    // A layer's own properties are kept in the store, at once.
    if (layer.get() == &object || &layer->viewSettings == &object) {
      SaveLayerProperties(*layer);
      return;
    }
  }
  if (CLayer* layer = LayerOf(object)) layer->SetModified(true);
}

void CNavDocuments::ShowObjects(CLayer& layer, bool show) {
  if (layer.visible == show) return;
  layer.visible = show;
  SaveLayerProperties(layer);
}

void CNavDocuments::LockPositions(CLayer& layer, bool lock) {
  undo_.BeginGroup(lock ? "Lock Positions" : "Unlock Positions");
  for (const auto& object : layer.Objects())
    undo_.SetValue(object, "LockPosition", PropertyValue(lock));
  undo_.EndGroup();
}

void CNavDocuments::ShowNames(CLayer& layer, bool show) {
  undo_.BeginGroup(show ? "Show Names" : "Hide Names");
  for (const auto& object : layer.Objects())
    if (dynamic_cast<CMark*>(object.get()) != nullptr)
      undo_.SetValue(object, "ShowName", PropertyValue(show));
  undo_.EndGroup();
}

std::string CNavDocuments::CopyObjects(
    const std::vector<std::shared_ptr<CNavObject>>& objects) const {
  std::vector<std::shared_ptr<CNavObject>> all;
  std::unordered_set<const CNavObject*> seen;
  auto add = [&](std::shared_ptr<CNavObject> object) {
    if (seen.insert(object.get()).second) all.push_back(std::move(object));
  };
  for (const auto& object : objects) add(object);
  for (const auto& object : objects)
    for (auto& mark : ReferencedMarks(*object)) add(std::move(mark));
  return WriteNobDocument(all);
}

std::string CNavDocuments::CutObjects(const std::vector<std::shared_ptr<CNavObject>>& objects) {
  std::string text = CopyObjects(objects);
  DeleteObjects(objects);
  return text;
}

std::vector<std::shared_ptr<CNavObject>> CNavDocuments::PasteObjects(std::string_view text,
                                                                     CLayer& layer) {
  NobReadResult result = ReadNobDocument(text);
  if (!result.ok) {
    Log("CNavDocuments::PasteObjects %s\n", result.error.c_str());
    return {};
  }
  // References were resolved to objects, so new ids need no further fixing.
  for (const auto& object : result.objects)
    if (object->Id().empty() || FindObject(object->Id()) != nullptr) object->SetId(NewObjectId());
  for (const auto& object : result.objects) layer.Add(object);
  layer.SetModified(true);
  return result.objects;
}

void CNavDocuments::DetachMark(CLayer& layer, const CMark& mark) {
  for (const auto& object : layer.Objects()) {
    if (auto* route = dynamic_cast<CRoute*>(object.get())) {
      for (size_t i = route->Marks().size(); i-- > 0;)
        if (route->Marks()[i].get() == &mark) route->RemoveMarkAt(i);
    } else if (auto* path = dynamic_cast<CMarkPath*>(object.get())) {
      std::erase_if(path->MutableMarks(), [&](const auto& m) { return m.get() == &mark; });
    }
  }
}

void CNavDocuments::DeleteObjects(const std::vector<std::shared_ptr<CNavObject>>& objects) {
  for (const auto& object : objects) {
    CLayer* layer = LayerOf(*object);
    if (layer == nullptr || layer == deleted_.get()) continue;
    layer->Remove(*object);
    NoteDeleted(*object, *layer);
    if (auto* mark = dynamic_cast<CMark*>(object.get())) DetachMark(*layer, *mark);
    for (const auto& mark : ReferencedMarks(*object)) {
      if (mark->existsOutsideCollection || UsedByOthers(*layer, *mark, *object)) continue;
      if (layer->Remove(*mark) >= 0) {
        deleted_->Add(mark);
        NoteDeleted(*mark, *layer);
      }
    }
    deleted_->Add(object);
    layer->SetModified(true);
    deleted_->SetModified(true);
  }
}

bool CNavDocuments::Restore(const std::string& id) {
  auto object = deleted_->Find(id);
  if (object == nullptr) return false;
  CLayer* target = nullptr;
  if (auto from = deletedFrom_.find(id); from != deletedFrom_.end()) {
    for (const auto& layer : layers_)
      if (FileKey(*layer) == from->second) target = layer.get();
  }
  CLayer& layer = Target(target);
  std::vector<std::shared_ptr<CNavObject>> moving{object};
  for (auto& mark : ReferencedMarks(*object))
    if (deleted_->Find(mark->Id()) == mark) moving.push_back(mark);
  for (const auto& item : moving) {
    deleted_->Remove(*item);
    ForgetDeleted(item->Id());
    layer.Add(item);
  }
  layer.SetModified(true);
  deleted_->SetModified(true);
  return true;
}

std::string CNavDocuments::RestoreCommand(const std::string& id) {
  return "cmd:restore-item?id=" + id;
}

EditResult CNavDocuments::InsertRouteMark(CRoute& route, size_t index,
                                          std::shared_ptr<CMark> mark) {
  EditResult result = tarnwick::InsertRouteMark(route, index, std::move(mark));
  if (result.ok) Touch(route);
  return result;
}

EditResult CNavDocuments::AddRouteMarkToEnd(CRoute& route, std::shared_ptr<CMark> mark) {
  return InsertRouteMark(route, route.Marks().size(), std::move(mark));
}

EditResult CNavDocuments::RemoveRouteMark(CRoute& route, size_t index) {
  EditResult result = tarnwick::RemoveRouteMark(route, index);
  if (result.ok) Touch(route);
  return result;
}

std::shared_ptr<CRoute> CNavDocuments::ForkRoute(CRoute& route, size_t index) {
  auto fork = tarnwick::ForkRoute(route, index);
  if (fork != nullptr) AddObject(fork, LayerOf(route));
  return fork;
}

EditResult CNavDocuments::InsertNewMark(CRoute& route, size_t index, const LatLon& where) {
  auto mark = std::make_shared<CMark>();
  mark->position = where;
  CLayer* layer = LayerOf(route);
  EditResult result = tarnwick::InsertRouteMark(route, index, mark);
  if (result.ok) AddObject(mark, layer);
  return result;
}

std::shared_ptr<CRoute> CNavDocuments::CreateRoute(const std::vector<LatLon>& points,
                                                   CLayer* layer) {
  auto route = std::make_shared<CRoute>();
  AddObject(route, layer);
  for (const LatLon& point : points) {
    auto mark = std::make_shared<CMark>();
    mark->position = point;
    route->InsertMarkAt(route->Marks().size(), mark);
    AddObject(mark, layer);
  }
  return route;
}

std::shared_ptr<CBoundary> CNavDocuments::CreateBoundary(const std::vector<LatLon>& points,
                                                         CLayer* layer) {
  auto boundary = std::make_shared<CBoundary>();
  AddObject(boundary, layer);
  for (const LatLon& point : points) {
    auto mark = std::make_shared<CMark>();
    mark->position = point;
    mark->showName = false;
    boundary->MutableMarks().push_back(mark);
    AddObject(mark, layer);
  }
  return boundary;
}

std::shared_ptr<CMark> CNavDocuments::CreateBoundaryCircle(const LatLon& centre,
                                                           const Length& radius, CLayer* layer) {
  auto mark = std::make_shared<CMark>();
  mark->position = centre;
  mark->existsOutsideCollection = true;
  mark->rangeCircleDisplayCount = 1;
  mark->rangeCircleRadius = radius;
  mark->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  AddObject(mark, layer);
  return mark;
}

std::shared_ptr<CAnnotation> CNavDocuments::CreateAnnotation(const LatLon& where, std::string text,
                                                             CLayer* layer) {
  auto note = std::make_shared<CAnnotation>();
  note->position = where;
  note->description = std::move(text);
  AddObject(note, layer);
  return note;
}

bool CNavDocuments::SaveLayer(CLayer& layer) {
  if (!EnsureFolder(layer.File().parent_path())) {
    Log("CNavDocuments::SaveLayer cannot create %s\n", layer.File().parent_path().c_str());
    return false;
  }
  // A path may use a mark kept in another layer; the file carries it too so
  // that it stays complete on its own.
  // The borrowed ones are listed in the store, so that opening the folder
  // again gives back the one mark rather than two with the same id.
  std::vector<std::shared_ptr<CNavObject>> objects = layer.Objects();
  std::unordered_set<const CNavObject*> present;
  nlohmann::json borrowed = nlohmann::json::array();
  for (const auto& object : objects) present.insert(object.get());
  for (const auto& object : layer.Objects())
    for (auto& mark : ReferencedMarks(*object))
      if (present.insert(mark.get()).second) {
        borrowed.push_back(mark->Id());
        objects.push_back(std::move(mark));
      }
  if (borrowed.empty())
    Storage().Remove(kBorrowedDomain, FileKey(layer));
  else
    Storage().Put(kBorrowedDomain, FileKey(layer), borrowed.dump());
  const SaveResult result = SaveFileAtomically(layer.File(), WriteNobDocument(objects), ops_);
  if (!result.ok) {
    Log("CNavDocuments::SaveLayer %s: %s\n", layer.File().c_str(), result.error.c_str());
    return false;
  }
  layer.SetModified(false);
  SaveLayerProperties(layer);
  return true;
}

int CNavDocuments::SaveModified() {
  int failed = 0;
  for (const auto& layer : layers_)
    if (layer->IsModified() && !SaveLayer(*layer)) ++failed;
  if (deleted_->IsModified() && !SaveLayer(*deleted_)) ++failed;
  return failed;
}

void CNavDocuments::AutoSaveTick(uint64_t tickMs) {
  if (!opt::Documents_AutoSave.GetBool()) return;
  const double seconds = ParseDurationText(opt::Documents_AutoSaveInterval.Text()).value_or(60);
  const uint64_t intervalMs = static_cast<uint64_t>(std::max(1.0, seconds) * 1000);
  if (!lastAutoSave_) {
    lastAutoSave_ = tickMs;
    return;
  }
  if (tickMs - *lastAutoSave_ < intervalMs) return;
  lastAutoSave_ = tickMs;
  SaveModified();
}

void CNavDocuments::LoadLayerProperties(CLayer& layer) {
  auto stored = Storage().Get(kLayerDomain, FileKey(layer));
  if (!stored) return;
  const nlohmann::json values = nlohmann::json::parse(*stored, nullptr, false);
  if (!values.is_object()) return;
  for (const auto& [name, value] : values.items()) {
    if (value.is_string()) SetPropertyFromText(layer, name, value.get<std::string>());
    if (name == "ViewSettings" && value.is_object())
      for (const auto& [viewName, viewValue] : value.items())
        if (viewValue.is_string())
          SetPropertyFromText(layer.viewSettings, viewName, viewValue.get<std::string>());
  }
}

void CNavDocuments::SaveLayerProperties(const CLayer& layer) {
  if (&layer == deleted_.get()) return;
  nlohmann::json values = nlohmann::json::object();
  for (const PropertyDescriptor* row : layer.Class().AllProperties()) {
    if (!row->HasValue() || row->get == nullptr || row->Type() == PropertyType::SubObject) continue;
    const PropertyValue value = row->get(layer);
    if (!IsOmittedValue(*row, value)) values[row->name] = PersistentText(*row, value);
  }
  if (layer.viewSettings.IsSaved()) {
    nlohmann::json view = nlohmann::json::object();
    for (const PropertyDescriptor* row : layer.viewSettings.Class().AllProperties()) {
      if (!row->HasValue() || row->get == nullptr) continue;
      const PropertyValue value = row->get(layer.viewSettings);
      if (!IsOmittedValue(*row, value)) view[row->name] = PersistentText(*row, value);
    }
    values["ViewSettings"] = std::move(view);
  }
  Storage().Put(kLayerDomain, FileKey(layer), values.dump());
}

bool CNavDocuments::DeleteObject(CSelectable& object) {
  auto found = FindObject(object.Id());
  if (found.get() != &object) return false;
  DeleteObjects({found});
  return true;
}

bool CNavDocuments::ActivateObject(CSelectable& object) {
  return hooks_.activate ? hooks_.activate(object) : false;
}

bool CNavDocuments::DeactivateObject(CSelectable& object) {
  return hooks_.deactivate ? hooks_.deactivate(object) : false;
}

bool CNavDocuments::ConvertTrackToRoute(CTrack& track) {
  if (track.points.size() < 2) return false;
  std::vector<LatLon> points;
  points.reserve(track.points.size());
  for (const TrackPoint& point : track.points) points.push_back(point.position);
  auto route = CreateRoute(points, LayerOf(track));
  route->name = track.name;
  return true;
}

bool CNavDocuments::StartNewTrack(CTrack& track) {
  return hooks_.startNewTrack ? hooks_.startNewTrack(track) : false;
}

}  // namespace tarnwick
