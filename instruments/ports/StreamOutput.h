#pragma once
// Output waiting for a non-blocking stream descriptor to accept it.

#include <string>
#include <string_view>

namespace tarnwick {

class CStreamOutput {
 public:
  bool Empty() const { return offset_ >= data_.size(); }
  size_t Size() const { return data_.size() - offset_; }
  void Clear() {
    data_.clear();
    offset_ = 0;
  }
  void Append(std::string_view bytes);
  // Writes as much as fd accepts; returns 0 or the errno of a failed write.
  int Flush(int fd, bool isSocket);

 private:
  std::string data_;
  size_t offset_ = 0;
};

}  // namespace tarnwick
