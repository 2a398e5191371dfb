#include "navobjects/documents/UndoStack.h"

#include "core/Notifications.h"

namespace tarnwick {

SetResult CUndoStack::SetFromText(const std::shared_ptr<CSelectable>& object, std::string_view name,
                                  std::string_view text) {
  const PropertyDescriptor* row = FindProperty(*object, name);
  if (row == nullptr) return SetResult::UnknownProperty;
  if (!row->HasValue() || row->get == nullptr) return SetResult::UnknownProperty;
  PropertyValue before = row->get(*object);
  const SetResult result = SetRowFromText(*object, *row, text);
  if (result != SetResult::Changed) return result;
  PropertyValue after = row->get(*object);
  if (after != before)
    Record(Change{object, row->name, std::move(before), std::move(after), {}, {}},
           ExpandMessage("Change $1", {row->name}));
  return result;
}

SetResult CUndoStack::SetValue(const std::shared_ptr<CSelectable>& object, std::string_view name,
                               const PropertyValue& value) {
  const PropertyDescriptor* row = FindProperty(*object, name);
  if (row == nullptr || !row->HasValue() || row->get == nullptr) return SetResult::UnknownProperty;
  PropertyValue before = row->get(*object);
  const SetResult result = SetRowValue(*object, *row, value);
  if (result != SetResult::Changed) return result;
  PropertyValue after = row->get(*object);
  if (after != before)
    Record(Change{object, row->name, std::move(before), std::move(after), {}, {}},
           ExpandMessage("Change $1", {row->name}));
  return result;
}

void CUndoStack::RecordAction(std::string label, std::function<void()> undo,
                              std::function<void()> redo) {
  Change change;
  change.undo = std::move(undo);
  change.redo = std::move(redo);
  Record(std::move(change), std::move(label));
}

void CUndoStack::BeginGroup(std::string label) {
  groups_.push_back(Step{std::move(label), {}});
}

void CUndoStack::EndGroup() {
  if (groups_.empty()) return;
  Step step = std::move(groups_.back());
  groups_.pop_back();
  if (step.changes.empty()) return;
  if (!groups_.empty()) {
    for (Change& change : step.changes) groups_.back().changes.push_back(std::move(change));
    return;
  }
  done_.push_back(std::move(step));
  undone_.clear();
  while (done_.size() > limit_) done_.pop_front();
}

void CUndoStack::Record(Change change, std::string label) {
  if (auto object = change.object.lock(); object && listener_) listener_(*object);
  if (!groups_.empty()) {
    groups_.back().changes.push_back(std::move(change));
    return;
  }
  done_.push_back(Step{std::move(label), {}});
  done_.back().changes.push_back(std::move(change));
  undone_.clear();
  while (done_.size() > limit_) done_.pop_front();
}

void CUndoStack::Apply(const Change& change, const PropertyValue& value) {
  auto object = change.object.lock();
  if (!object) return;
  SetPropertyValue(*object, change.property, value);
  if (listener_) listener_(*object);
}

bool CUndoStack::Undo() {
  if (done_.empty()) return false;
  Step step = std::move(done_.back());
  done_.pop_back();
  for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
    if (it->undo)
      it->undo();
    else
      Apply(*it, it->before);
  }
  undone_.push_back(std::move(step));
  return true;
}

bool CUndoStack::Redo() {
  if (undone_.empty()) return false;
  Step step = std::move(undone_.back());
  undone_.pop_back();
  for (const Change& change : step.changes) {
    if (change.redo)
      change.redo();
    else
      Apply(change, change.after);
  }
  done_.push_back(std::move(step));
  return true;
}

void CUndoStack::Clear() {
  done_.clear();
  undone_.clear();
  groups_.clear();
}

}  // namespace tarnwick
