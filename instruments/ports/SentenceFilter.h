#pragma once
// Which received sentences are neither decoded nor repeated. A filter is a
// list of items separated by commas or blanks; an item names a whole address
// field ("GPGSV", "PGRME") or a formatter of any talker ("GSV", "VDO").

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class CSentenceFilter {
 public:
  CSentenceFilter() = default;
  explicit CSentenceFilter(std::string_view text);

  bool Empty() const { return items_.empty(); }
  // True when sentence ("$GPGSV,..." or "!AIVDM,...") is filtered out.
  bool Blocks(std::string_view sentence) const;

 private:
  std::vector<std::string> items_;
};

}  // namespace tarnwick
