#include "instruments/ports/SentenceFilter.h"

namespace tarnwick {

CSentenceFilter::CSentenceFilter(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(", \t", start);
    const std::string_view item = text.substr(start, end - start);
    if (!item.empty()) items_.emplace_back(item);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

bool CSentenceFilter::Blocks(std::string_view sentence) const {
  if (items_.empty() || sentence.size() < 2) return false;
  std::string_view address = sentence.substr(1);
  const size_t end = address.find_first_of(",*\r\n");
  if (end != std::string_view::npos) address = address.substr(0, end);
  // Standard sentences carry a two-letter talker before the formatter.
  const std::string_view formatter =
      address.size() > 2 && address.front() != 'P' ? address.substr(2) : std::string_view();
  for (const std::string& item : items_)
    if (item == address || item == formatter) return true;
  return false;
}

}  // namespace tarnwick
