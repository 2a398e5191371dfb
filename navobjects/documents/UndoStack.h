#pragma once
// The undo stack of property changes. Each set through it is one undoable
// step labelled "Change <property>"; operations that change many objects at
// once ("Lock Positions") are grouped into one step under their own label.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "navobjects/model/PropertyAccess.h"

namespace tarnwick {

class CUndoStack {
 public:
  // limit: the most steps kept; the oldest are dropped beyond it.
  explicit CUndoStack(size_t limit = 200) : limit_(limit) {}

  // Called with every object a set, undo or redo changed (documents mark
  // the object's layer modified).
  void SetChangeListener(std::function<void(CSelectable&)> listener) {
    listener_ = std::move(listener);
  }

  // Sets the property and records the step; nothing is recorded on failure
  // or when the value did not change.
  SetResult SetFromText(const std::shared_ptr<CSelectable>& object, std::string_view name,
                        std::string_view text);
  SetResult SetValue(const std::shared_ptr<CSelectable>& object, std::string_view name,
                     const PropertyValue& value);

  // Records a change that is no property set (objects created, deleted or
  // moved, a route's points edited) after it was done: undo and redo run
  // the functions. Grouped like property sets.
  void RecordAction(std::string label, std::function<void()> undo, std::function<void()> redo);

  // Collects the sets until EndGroup into one step labelled label.
  void BeginGroup(std::string label);
  void EndGroup();

  bool CanUndo() const { return !done_.empty(); }
  bool CanRedo() const { return !undone_.empty(); }
  // The label of the step Undo would revert ("Change Name"), or "".
  std::string UndoLabel() const { return done_.empty() ? "" : done_.back().label; }
  std::string RedoLabel() const { return undone_.empty() ? "" : undone_.back().label; }
  bool Undo();
  bool Redo();
  void Clear();

 private:
  struct Change {
    std::weak_ptr<CSelectable> object;
    std::string property;
    PropertyValue before;
    PropertyValue after;
    std::function<void()> undo;  // set for recorded actions instead of a property
    std::function<void()> redo;
  };
  struct Step {
    std::string label;
    std::vector<Change> changes;
  };

  void Record(Change change, std::string label);
  void Apply(const Change& change, const PropertyValue& value);

  size_t limit_;
  std::deque<Step> done_;
  std::deque<Step> undone_;
  std::vector<Step> groups_;  // open groups, innermost last
  std::function<void(CSelectable&)> listener_;
};

}  // namespace tarnwick
