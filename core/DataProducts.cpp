#include "core/DataProducts.h"

#include <map>
#include <mutex>

#include "core/Storage.h"

namespace tarnwick {
namespace {

std::mutex g_mutex;
std::map<std::string, std::filesystem::path>& Defaults() {
  static std::map<std::string, std::filesystem::path> defaults;
  return defaults;
}

}  // namespace

void SetDefaultDataProduct(const std::string& product, const std::string& entry,
                           const std::filesystem::path& path) {
  std::lock_guard lock(g_mutex);
  Defaults()[product + "." + entry] = path;
}

std::optional<std::filesystem::path> DataProductPath(const std::string& product,
                                                     const std::string& entry) {
  const std::string name = product + "." + entry;
  if (auto stored = Storage().Get(kDataProductsDomain, name); stored && !stored->empty()) {
    return std::filesystem::path(*stored);
  }
  std::lock_guard lock(g_mutex);
  const auto it = Defaults().find(name);
  if (it == Defaults().end()) return std::nullopt;
  return it->second;
}

}  // namespace tarnwick
