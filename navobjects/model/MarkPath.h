#pragma once
// The shared part of objects drawn through an ordered list of marks (routes,
// boundaries, channels, range-bearing lines): the list itself and the ids
// read from a file that still wait to be resolved.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "navobjects/model/Mark.h"

namespace tarnwick {

class CMarkPath : public CNavObject {
 public:
  const std::vector<std::shared_ptr<CMark>>& Marks() const { return marks_; }
  std::vector<std::shared_ptr<CMark>>& MutableMarks() { return marks_; }
  bool Contains(const CMark& mark) const;

  // The ids of the list (resolved marks, then ids still unresolved).
  std::vector<std::string> MarkIds() const;
  // Replaces the list by ids to resolve later (reading a file).
  void SetPendingIds(std::vector<std::string> ids);
  bool HasPendingIds() const { return !pending_.empty(); }
  // Looks every pending id up; found marks join the list in order. Returns the
  // ids that were not found (they are dropped).
  std::vector<std::string> ResolvePending(
      const std::function<std::shared_ptr<CMark>(const std::string&)>& lookup);

  // Table-row accessors of the "Marks" property.
  static PropertyValue GetMarks(const CSelectable& object);
  static bool SetMarks(CSelectable& object, const PropertyValue& value);

 protected:
  explicit CMarkPath(const CClassDescriptor& descriptor) : CNavObject(descriptor) {}
  // Called after the list changed (routes keep one leg per pair of marks).
  virtual void MarksChanged() {}

 private:
  std::vector<std::shared_ptr<CMark>> marks_;
  std::vector<std::string> pending_;
};

}  // namespace tarnwick
