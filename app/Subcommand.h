#pragma once
// The subcommands of the `tarnwick` executable. Each tool file registers its
// command with a static CSubcommand; main() finds it by name.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The arguments after the subcommand's name, with helpers to take options out.
class CArguments {
 public:
  explicit CArguments(std::vector<std::string> args) : args_(std::move(args)) {}

  // Removes "--name VALUE" or "--name=VALUE" and returns VALUE.
  std::optional<std::string> TakeOption(std::string_view name);
  // Removes every "--name" and returns whether there was one.
  bool TakeFlag(std::string_view name);
  // The remaining arguments, in order.
  const std::vector<std::string>& Rest() const { return args_; }
  size_t Size() const { return args_.size(); }
  const std::string& operator[](size_t i) const { return args_[i]; }
  // The first remaining argument that starts with "--", if any (an unknown option).
  std::optional<std::string> UnknownOption() const;

 private:
  std::vector<std::string> args_;
};

using SubcommandMain = int (*)(CArguments& args);

class CSubcommand {
 public:
  // name: the word after `tarnwick`; usage: one line of arguments; summary: what it does.
  CSubcommand(const char* name, const char* usage, const char* summary, SubcommandMain run);
  const char* Name() const { return name_; }
  const char* Usage() const { return usage_; }
  const char* Summary() const { return summary_; }
  int Run(CArguments& args) const { return run_(args); }

  static const CSubcommand* Find(std::string_view name);
  // Every registered subcommand, sorted by name.
  static std::vector<const CSubcommand*> All();

 private:
  const char* name_;
  const char* usage_;
  const char* summary_;
  SubcommandMain run_;
};

}  // namespace tarnwick
