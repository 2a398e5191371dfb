#pragma once
// ISO/IEC 8211 data records: a record owns a copy of its fields' bytes, so it
// outlives the file it came from and can be edited (fields replaced, added or
// removed) to apply changes; a field is a view of one field's data with
// access to its repetitions and subfields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/iso8211/Iso8211FieldDefn.h"

namespace tarnwick {

// One field of a record: its definition and its data (without the field
// terminator). Valid while the record is neither edited nor destroyed.
class CIso8211Field {
 public:
  CIso8211Field(const CIso8211FieldDefn* defn, std::string_view data) : defn_(defn), data_(data) {}

  const CIso8211FieldDefn& Defn() const { return *defn_; }
  const std::string& Tag() const { return defn_->Tag(); }
  std::string_view Data() const { return data_; }

  // Repetitions of the subfield list: 1 for a field that does not repeat;
  // whole repetitions only for fixed-size ones (bytes left over are ignored).
  size_t RepeatCount() const;
  // The raw bytes of each repetition, in order.
  std::vector<std::string_view> Repetitions() const;

  // The raw value of subfield (by index or label) in repetition rep; none when
  // there is no such subfield or repetition, or the data end inside it.
  std::optional<std::string_view> Raw(size_t subfield, size_t rep = 0) const;
  std::optional<std::string_view> Raw(std::string_view label, size_t rep = 0) const;
  // Decoded values (see Iso8211Int and Iso8211Real).
  std::optional<int64_t> Int(size_t subfield, size_t rep = 0) const;
  std::optional<int64_t> Int(std::string_view label, size_t rep = 0) const;
  std::optional<double> Real(size_t subfield, size_t rep = 0) const;
  std::optional<double> Real(std::string_view label, size_t rep = 0) const;
  // Text of a character subfield (raw bytes for other formats).
  std::optional<std::string_view> Text(std::string_view label, size_t rep = 0) const {
    return Raw(label, rep);
  }

 private:
  // Offset of repetition rep's first byte, walking variable-size ones.
  std::optional<size_t> RepetitionStart(size_t rep) const;
  // Bytes one repetition starting at offset takes, none when cut short.
  std::optional<size_t> RepetitionSize(size_t offset) const;

  const CIso8211FieldDefn* defn_;
  std::string_view data_;
};

class CIso8211Record {
 public:
  size_t FieldCount() const { return fields_.size(); }
  CIso8211Field Field(size_t i) const {
    return CIso8211Field(fields_[i].defn, std::string_view(data_).substr(fields_[i].offset, fields_[i].size));
  }
  // Index of the occurrence-th field with this tag (from 0), -1 when none.
  int FindFieldIndex(std::string_view tag, size_t occurrence = 0) const;
  std::optional<CIso8211Field> FindField(std::string_view tag, size_t occurrence = 0) const;

  // Replaces the data of field i (data without the field terminator).
  void SetFieldData(size_t i, std::string_view data);
  // Adds a field at the end.
  void AppendField(const CIso8211FieldDefn& defn, std::string_view data);
  // Removes field i.
  void RemoveField(size_t i);
  void Clear();
  // Bytes of field data held (the record's size without leader and directory).
  size_t DataSize() const { return data_.size(); }

 private:
  struct Entry {
    const CIso8211FieldDefn* defn;
    size_t offset;
    size_t size;
  };
  std::string data_;  // every field's data one after the other
  std::vector<Entry> fields_;
};

}  // namespace tarnwick
