#include "app/Subcommand.h"

#include <algorithm>
#include <cstring>

namespace tarnwick {
namespace {
std::vector<const CSubcommand*>& Registry() {
  static std::vector<const CSubcommand*> registry;
  return registry;
}
}  // namespace

std::optional<std::string> CArguments::TakeOption(std::string_view name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    std::string_view arg(args_[i]);
    if (arg == name && i + 1 < args_.size()) {
      std::string value = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
      return value;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
      std::string value(arg.substr(name.size() + 1));
      args_.erase(args_.begin() + static_cast<long>(i));
      return value;
    }
  }
  return std::nullopt;
}

bool CArguments::TakeFlag(std::string_view name) {
  auto end = std::remove(args_.begin(), args_.end(), std::string(name));
  bool found = end != args_.end();
  args_.erase(end, args_.end());
  return found;
}

std::optional<std::string> CArguments::UnknownOption() const {
  for (const auto& arg : args_)
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) return arg;
  return std::nullopt;
}

CSubcommand::CSubcommand(const char* name, const char* usage, const char* summary,
                         SubcommandMain run)
    : name_(name), usage_(usage), summary_(summary), run_(run) {
  Registry().push_back(this);
}

const CSubcommand* CSubcommand::Find(std::string_view name) {
  for (const CSubcommand* command : Registry())
    if (name == command->Name()) return command;
  return nullptr;
}

std::vector<const CSubcommand*> CSubcommand::All() {
  auto all = Registry();
  std::sort(all.begin(), all.end(),
            [](const CSubcommand* a, const CSubcommand* b) { return strcmp(a->Name(), b->Name()) < 0; });
  return all;
}

}  // namespace tarnwick
