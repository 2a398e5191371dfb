#pragma once
// The base of every persistent navigation object: identity (a braced UUID
// text), creation time and the class descriptor whose table describes it.

#include <memory>
#include <string>

#include "navobjects/model/ClassDescriptor.h"
#include "navobjects/model/PropertyTypes.h"

namespace tarnwick {

// A new random (version 4) UUID in braces, upper-case hex:
// "{0F8FAD5B-D9CB-469F-A165-70867728950E}".
std::string NewObjectId();

class CSelectable : public std::enable_shared_from_this<CSelectable> {
 public:
  // A new object: a new id and the current UTC time as its creation time.
  explicit CSelectable(const CClassDescriptor& descriptor);
  virtual ~CSelectable() = default;
  CSelectable(const CSelectable&) = delete;
  CSelectable& operator=(const CSelectable&) = delete;

  const CClassDescriptor& Class() const { return *class_; }
  const char* ClassName() const { return class_->Name(); }

  // The braced UUID text; may be empty for embedded objects read without one.
  const std::string& Id() const { return id_; }
  void SetId(std::string id) { id_ = std::move(id); }
  FileTime Created() const { return created_; }
  void SetCreated(FileTime created) { created_ = created; }

 private:
  const CClassDescriptor* class_;
  std::string id_;
  FileTime created_;
};

}  // namespace tarnwick
