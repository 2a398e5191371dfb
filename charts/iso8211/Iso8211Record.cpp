#include "charts/iso8211/Iso8211Record.h"

namespace tarnwick {

std::optional<size_t> CIso8211Field::RepetitionSize(size_t offset) const {
  size_t at = offset;
  for (const Iso8211SubfieldDefn& sub : defn_->Subfields()) {
    const auto extent = Iso8211SubfieldExtent(sub, data_.substr(at), defn_->CharWidth());
    if (!extent) return std::nullopt;
    at += extent->consumed;
  }
  return at - offset;
}

size_t CIso8211Field::RepeatCount() const {
  if (!defn_->Repeating()) return 1;
  if (defn_->FixedSize() > 0) return data_.size() / defn_->FixedSize();
  size_t count = 0;
  for (size_t at = 0; at < data_.size(); ++count) {
    const auto size = RepetitionSize(at);
    if (!size || *size == 0) break;
    at += *size;
  }
  return count;
}

std::vector<std::string_view> CIso8211Field::Repetitions() const {
  std::vector<std::string_view> out;
  if (!defn_->Repeating()) {
    out.push_back(data_);
    return out;
  }
  if (defn_->FixedSize() > 0) {
    const size_t n = data_.size() / defn_->FixedSize();
    for (size_t i = 0; i < n; ++i) out.push_back(data_.substr(i * defn_->FixedSize(), defn_->FixedSize()));
    return out;
  }
  for (size_t at = 0; at < data_.size();) {
    const auto size = RepetitionSize(at);
    if (!size || *size == 0) break;
    out.push_back(data_.substr(at, *size));
    at += *size;
  }
  return out;
}

std::optional<size_t> CIso8211Field::RepetitionStart(size_t rep) const {
  if (rep == 0) return 0;
  if (!defn_->Repeating()) return std::nullopt;
  if (defn_->FixedSize() > 0) {
    if (rep >= data_.size() / defn_->FixedSize()) return std::nullopt;
    return rep * defn_->FixedSize();
  }
  size_t at = 0;
  for (size_t i = 0; i < rep; ++i) {
    const auto size = RepetitionSize(at);
    if (!size || *size == 0) return std::nullopt;
    at += *size;
  }
  if (at >= data_.size()) return std::nullopt;
  return at;
}

std::optional<std::string_view> CIso8211Field::Raw(size_t subfield, size_t rep) const {
  const auto& subs = defn_->Subfields();
  if (subfield >= subs.size()) return std::nullopt;
  if (defn_->FixedSize() > 0) {
    if (rep > 0 && (!defn_->Repeating() || rep >= data_.size() / defn_->FixedSize()))
      return std::nullopt;
    const size_t at = rep * defn_->FixedSize() + defn_->FixedOffset(subfield);
    if (at + subs[subfield].width > data_.size()) return std::nullopt;
    return data_.substr(at, subs[subfield].width);
  }
  auto at = RepetitionStart(rep);
  if (!at) return std::nullopt;
  for (size_t i = 0;; ++i) {
    const auto extent = Iso8211SubfieldExtent(subs[i], data_.substr(*at), defn_->CharWidth());
    if (!extent) return std::nullopt;
    if (i == subfield) return extent->value;
    *at += extent->consumed;
  }
}

std::optional<std::string_view> CIso8211Field::Raw(std::string_view label, size_t rep) const {
  const int index = defn_->SubfieldIndex(label);
  if (index < 0) return std::nullopt;
  return Raw(static_cast<size_t>(index), rep);
}

std::optional<int64_t> CIso8211Field::Int(size_t subfield, size_t rep) const {
  const auto raw = Raw(subfield, rep);
  if (!raw) return std::nullopt;
  return Iso8211Int(defn_->Subfields()[subfield], *raw);
}

std::optional<int64_t> CIso8211Field::Int(std::string_view label, size_t rep) const {
  const int index = defn_->SubfieldIndex(label);
  if (index < 0) return std::nullopt;
  return Int(static_cast<size_t>(index), rep);
}

std::optional<double> CIso8211Field::Real(size_t subfield, size_t rep) const {
  const auto raw = Raw(subfield, rep);
  if (!raw) return std::nullopt;
  return Iso8211Real(defn_->Subfields()[subfield], *raw);
}

std::optional<double> CIso8211Field::Real(std::string_view label, size_t rep) const {
  const int index = defn_->SubfieldIndex(label);
  if (index < 0) return std::nullopt;
  return Real(static_cast<size_t>(index), rep);
}

int CIso8211Record::FindFieldIndex(std::string_view tag, size_t occurrence) const {
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].defn->Tag() != tag) continue;
    if (occurrence-- == 0) return static_cast<int>(i);
  }
  return -1;
}

std::optional<CIso8211Field> CIso8211Record::FindField(std::string_view tag,
                                                       size_t occurrence) const {
  const int index = FindFieldIndex(tag, occurrence);
  if (index < 0) return std::nullopt;
  return Field(static_cast<size_t>(index));
}

void CIso8211Record::SetFieldData(size_t i, std::string_view data) {
  Entry& entry = fields_[i];
  const size_t oldSize = entry.size;
  data_.replace(entry.offset, oldSize, data);
  entry.size = data.size();
  for (size_t j = i + 1; j < fields_.size(); ++j) fields_[j].offset = fields_[j].offset - oldSize + data.size();
}

void CIso8211Record::AppendField(const CIso8211FieldDefn& defn, std::string_view data) {
  fields_.push_back({&defn, data_.size(), data.size()});
  data_.append(data);
}

void CIso8211Record::RemoveField(size_t i) {
  SetFieldData(i, {});
  fields_.erase(fields_.begin() + static_cast<ptrdiff_t>(i));
}

void CIso8211Record::Clear() {
  data_.clear();
  fields_.clear();
}

}  // namespace tarnwick
