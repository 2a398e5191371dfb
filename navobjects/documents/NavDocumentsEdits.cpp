// The parts of CNavDocuments that serve editing: refusals of locked objects
// and read-only layers, undo steps of structural edits, and the records of
// where deleted objects came from.

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Storage.h"
#include "navobjects/documents/NavDocuments.h"

namespace tarnwick {
namespace {

// One row per deleted object: {"layer": file name it came from, "utcMs": when deleted}.
constexpr const char* kDeletedDomain = "NavObjectsDeleted";

}  // namespace

std::string CNavDocuments::RefuseEdit(const CNavObject& object, bool positionChange) const {
  const CLayer* layer = LayerOf(object);
  if (layer != nullptr && layer->readOnly) return ExpandMessage(kReadOnlyLayerMessage, {layer->name});
  if (positionChange && object.lockPosition) return kDragLockedMessage;
  return "";
}

CLayer* CNavDocuments::FindLayer(const std::string& fileName) const {
  if (fileName == deleted_->File().filename().string() || fileName == kDeletedLayerName)
    return deleted_.get();
  for (const auto& layer : layers_)
    if (layer->File().filename().string() == fileName) return layer.get();
  return nullptr;
}

std::string CNavDocuments::DeletedFrom(const std::string& id) const {
  auto found = deletedFrom_.find(id);
  return found == deletedFrom_.end() ? "" : found->second;
}

void CNavDocuments::NoteDeleted(const CNavObject& object, const CLayer& from) {
  const std::string file = from.File().filename().string();
  deletedFrom_[object.Id()] = file;
  Storage().Put(kDeletedDomain, object.Id(),
                nlohmann::json{{"layer", file}, {"utcMs", UtcNowMs()}}.dump());
}

void CNavDocuments::ForgetDeleted(const std::string& id) {
  deletedFrom_.erase(id);
  Storage().Remove(kDeletedDomain, id);
}

void CNavDocuments::LoadDeletedRecords() {
  const int64_t now = static_cast<int64_t>(UtcNowMs());
  std::vector<std::shared_ptr<CNavObject>> expired;
  for (const auto& object : deleted_->Objects()) {
    const auto stored = Storage().Get(kDeletedDomain, object->Id());
    const nlohmann::json record =
        stored ? nlohmann::json::parse(*stored, nullptr, false) : nlohmann::json();
    if (!record.is_object() || !record.contains("utcMs") || !record["utcMs"].is_number()) {
      // Deleted before the records were kept: its time starts now.
      Storage().Put(kDeletedDomain, object->Id(), nlohmann::json{{"utcMs", now}}.dump());
      continue;
    }
    if (record.contains("layer") && record["layer"].is_string())
      deletedFrom_[object->Id()] = record["layer"].get<std::string>();
    if (now - record["utcMs"].get<int64_t>() > kDeletedKeepMs) expired.push_back(object);
  }
  if (expired.empty()) return;
  for (const auto& object : expired) {
    deleted_->Remove(*object);
    ForgetDeleted(object->Id());
  }
  Log("CNavDocuments: purged %zu deleted objects\n", expired.size());
  SaveLayer(*deleted_);
}

CNavDocuments::State CNavDocuments::Capture() const {
  State state;
  auto add = [&](const std::shared_ptr<CLayer>& layer) {
    state.layers.push_back({layer, layer->Objects()});
    for (const auto& object : layer->Objects()) {
      auto path = std::dynamic_pointer_cast<CMarkPath>(object);
      if (!path) continue;
      State::PathContents contents{path, path->Marks(), {}};
      if (auto* route = dynamic_cast<CRoute*>(path.get())) contents.legs = route->Legs();
      state.paths.push_back(std::move(contents));
    }
  };
  for (const auto& layer : layers_) add(layer);
  add(deleted_);
  return state;
}

void CNavDocuments::Put(const State& state) {
  for (const auto& contents : state.layers) {
    auto layer = contents.layer.lock();
    if (!layer || layer->Objects() == contents.objects) continue;
    layer->Clear();
    for (const auto& object : contents.objects) layer->Add(object);
    layer->SetModified(true);
  }
  for (const auto& contents : state.paths) {
    auto path = contents.path.lock();
    if (!path) continue;
    auto* route = dynamic_cast<CRoute*>(path.get());
    const bool same = path->Marks() == contents.marks && (!route || route->Legs() == contents.legs);
    if (same) continue;
    path->MutableMarks() = contents.marks;
    if (route) route->MutableLegs() = contents.legs;
    Touch(*path);
  }
  // Objects back in a layer are no longer deleted; objects in "_deleted" again keep their record.
  for (auto it = deletedFrom_.begin(); it != deletedFrom_.end();) {
    if (deleted_->Find(it->first) == nullptr) {
      Storage().Remove("NavObjectsDeleted", it->first);
      it = deletedFrom_.erase(it);
    } else {
      ++it;
    }
  }
}

bool CNavDocuments::State::operator==(const State& other) const {
  auto sameLayer = [](const LayerContents& a, const LayerContents& b) {
    return a.layer.lock() == b.layer.lock() && a.objects == b.objects;
  };
  auto samePath = [](const PathContents& a, const PathContents& b) {
    return a.path.lock() == b.path.lock() && a.marks == b.marks && a.legs == b.legs;
  };
  return std::equal(layers.begin(), layers.end(), other.layers.begin(), other.layers.end(),
                    sameLayer) &&
         std::equal(paths.begin(), paths.end(), other.paths.begin(), other.paths.end(), samePath);
}

void CNavDocuments::RecordEdit(const std::string& label, const std::function<void()>& edit) {
  State before = Capture();
  edit();
  State after = Capture();
  if (before == after) return;  // refused or empty: no step
  // Objects that the edit deleted keep their records for the redo.
  std::unordered_map<std::string, std::string> deletedRecords = deletedFrom_;
  undo_.RecordAction(
      label, [this, before] { Put(before); },
      [this, after, deletedRecords] {
        Put(after);
        for (const auto& object : deleted_->Objects()) {
          auto record = deletedRecords.find(object->Id());
          if (record == deletedRecords.end() || deletedFrom_.count(object->Id()) > 0) continue;
          if (CLayer* from = FindLayer(record->second)) NoteDeleted(*object, *from);
        }
      });
}

}  // namespace tarnwick
