#pragma once
// A layer: one document of navigation objects, stored as one object file. It
// owns its objects in creation order.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "navobjects/model/NavObject.h"
#include "navobjects/model/ViewSettings.h"

namespace tarnwick {

class CLayer final : public CSelectable {
 public:
  CLayer() : CSelectable(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  const std::vector<std::shared_ptr<CNavObject>>& Objects() const { return objects_; }
  // Appends object (it must belong to no other layer).
  void Add(std::shared_ptr<CNavObject> object);
  // Inserts at index (clamped to the end).
  void Insert(size_t index, std::shared_ptr<CNavObject> object);
  // Removes object; returns its former index, or -1 when it was not here.
  long Remove(const CNavObject& object);
  // The object with that id, or nullptr.
  std::shared_ptr<CNavObject> Find(const std::string& id) const;
  void Clear() { objects_.clear(); }

  const std::filesystem::path& File() const { return file_; }
  void SetFile(std::filesystem::path file) { file_ = std::move(file); }
  // Changed since it was last saved or loaded.
  bool IsModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  std::string baseUrl;
  std::string autoSave;
  std::string name;
  std::string category;
  bool readOnly = false;
  bool visible = true;
  int32_t scaleMin = 250000;
  double expires = 0;
  CViewSettings viewSettings;

 private:
  std::vector<std::shared_ptr<CNavObject>> objects_;
  std::filesystem::path file_;
  bool modified_ = false;
};

}  // namespace tarnwick
