#include "core/RegistryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "core/Paths.h"

namespace tarnwick {
namespace {

std::vector<std::string> SplitKey(std::string_view key) {
  std::vector<std::string> parts;
  while (!key.empty()) {
    size_t slash = key.find('/');
    if (slash != 0) parts.emplace_back(key.substr(0, slash));
    if (slash == std::string_view::npos) break;
    key.remove_prefix(slash + 1);
  }
  return parts;
}

const nlohmann::json* FindNode(const nlohmann::json& root, std::string_view key) {
  const nlohmann::json* node = &root;
  for (const auto& part : SplitKey(key)) {
    if (!node->is_object()) return nullptr;
    auto it = node->find(part);
    if (it == node->end() || !it->is_object()) return nullptr;
    node = &*it;
  }
  return node;
}

}  // namespace

CRegistryFile::CRegistryFile(std::filesystem::path path) : path_(std::move(path)) {}

std::filesystem::path CRegistryFile::DefaultPath() { return ConfigFolder() / "registry.json"; }

nlohmann::json CRegistryFile::Read() const {
  std::ifstream in(path_);
  if (!in) return nlohmann::json::object();
  auto root = nlohmann::json::parse(in, nullptr, false);
  return root.is_object() ? root : nlohmann::json::object();
}

bool CRegistryFile::Write(const nlohmann::json& root) const {
  EnsureFolder(path_.parent_path());
  std::filesystem::path tmp = path_;
  tmp += ".tmp";
  std::string text = root.dump(2) + "\n";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
            ::fsync(fd) == 0;
  ::close(fd);
  std::error_code ec;
  if (ok) std::filesystem::rename(tmp, path_, ec);
  if (!ok || ec) {
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

bool CRegistryFile::KeyExists(std::string_view key) const {
  return FindNode(Read(), key) != nullptr;
}

bool CRegistryFile::CreateKey(std::string_view key, bool* existed) {
  nlohmann::json root = Read();
  bool found = FindNode(root, key) != nullptr;
  if (existed) *existed = found;
  if (found) return true;
  nlohmann::json* node = &root;
  for (const auto& part : SplitKey(key)) {
    nlohmann::json& child = (*node)[part];
    if (!child.is_object()) child = nlohmann::json::object();
    node = &child;
  }
  return Write(root);
}

bool CRegistryFile::DeleteKey(std::string_view key) {
  nlohmann::json root = Read();
  auto parts = SplitKey(key);
  if (parts.empty()) return false;
  std::string last = parts.back();
  parts.pop_back();
  nlohmann::json* node = &root;
  for (const auto& part : parts) {
    auto it = node->find(part);
    if (it == node->end() || !it->is_object()) return false;
    node = &*it;
  }
  if (node->erase(last) == 0) return false;
  return Write(root);
}

std::optional<std::string> CRegistryFile::GetValue(std::string_view key,
                                                   std::string_view name) const {
  nlohmann::json root = Read();
  const nlohmann::json* node = FindNode(root, key);
  if (!node) return std::nullopt;
  auto it = node->find(std::string(name));
  if (it == node->end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

bool CRegistryFile::SetValue(std::string_view key, std::string_view name, std::string_view value) {
  nlohmann::json root = Read();
  nlohmann::json* node = &root;
  for (const auto& part : SplitKey(key)) {
    nlohmann::json& child = (*node)[part];
    if (!child.is_object()) child = nlohmann::json::object();
    node = &child;
  }
  (*node)[std::string(name)] = std::string(value);
  return Write(root);
}

std::optional<nlohmann::json> CRegistryFile::Tree(std::string_view key) const {
  nlohmann::json root = Read();
  const nlohmann::json* node = FindNode(root, key);
  if (!node) return std::nullopt;
  return *node;
}

}  // namespace tarnwick
