#include "navobjects/model/MarkPath.h"

namespace tarnwick {

bool CMarkPath::Contains(const CMark& mark) const {
  for (const auto& m : marks_)
    if (m.get() == &mark) return true;
  return false;
}

std::vector<std::string> CMarkPath::MarkIds() const {
  std::vector<std::string> ids;
  ids.reserve(marks_.size() + pending_.size());
  for (const auto& mark : marks_) ids.push_back(mark->Id());
  ids.insert(ids.end(), pending_.begin(), pending_.end());
  return ids;
}

void CMarkPath::SetPendingIds(std::vector<std::string> ids) {
  marks_.clear();
  pending_ = std::move(ids);
  MarksChanged();
}

std::vector<std::string> CMarkPath::ResolvePending(
    const std::function<std::shared_ptr<CMark>(const std::string&)>& lookup) {
  std::vector<std::string> missing;
  for (const std::string& id : pending_) {
    if (auto mark = lookup(id))
      marks_.push_back(std::move(mark));
    else
      missing.push_back(id);
  }
  pending_.clear();
  MarksChanged();
  return missing;
}

PropertyValue CMarkPath::GetMarks(const CSelectable& object) {
  return PropertyValue(static_cast<const CMarkPath&>(object).MarkIds());
}

bool CMarkPath::SetMarks(CSelectable& object, const PropertyValue& value) {
  const auto* ids = std::get_if<std::vector<std::string>>(&value);
  if (ids == nullptr) return false;
  static_cast<CMarkPath&>(object).SetPendingIds(*ids);
  return true;
}

}  // namespace tarnwick
