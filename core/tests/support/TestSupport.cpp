#include "core/tests/support/TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::testing {

CTempFolder::CTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

CTempFolder::~CTempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CScopedEnv::CScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* old = getenv(name)) previous_ = old;
  setenv(name, value.c_str(), 1);
}

CScopedEnv::~CScopedEnv() {
  if (previous_)
    setenv(name_.c_str(), previous_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

std::filesystem::path TestDataFolder() {
  const char* folder = getenv("TW_TEST_DATA");
  return folder ? std::filesystem::path(folder) : std::filesystem::path("tests/data");
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace tarnwick::testing
