#include "core/Setting.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Log.h"
#include "core/SettingValues.h"
#include "core/SettingsRegistry.h"

namespace tarnwick {
namespace {

class CSharedDescriptor final : public CSettingDescriptor {};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

const char* SettingKindName(SettingKind kind) {
  switch (kind) {
    case SettingKind::Choice: return "choice";
    case SettingKind::Boolean: return "boolean";
    case SettingKind::Text: return "text";
    case SettingKind::Colour: return "colour";
    case SettingKind::Font: return "font";
    case SettingKind::DateTime: return "date-time";
  }
  return "unknown";
}

std::optional<std::string> CSettingDescriptor::Refusal(std::string_view) const {
  return std::nullopt;
}

const ChoiceOption* CChoiceDescriptor::Find(std::string_view keyword) const {
  for (const auto& option : options_)
    if (EqualsIgnoreCase(option.keyword, keyword)) return &option;
  return nullptr;
}

std::optional<std::string> CChoiceDescriptor::Refusal(std::string_view text) const {
  if (options_.empty() || Find(text)) return std::nullopt;
  std::string reason = "\"" + std::string(text) + "\" is not one of: ";
  for (size_t i = 0; i < options_.size(); ++i) {
    if (i) reason += ", ";
    reason += options_[i].keyword;
  }
  return reason;
}

const CSettingDescriptor& TextDescriptor() {
  static CSharedDescriptor descriptor;
  return descriptor;
}
const CSettingDescriptor& ColourDescriptor() {
  static CSharedDescriptor descriptor;
  return descriptor;
}
const CSettingDescriptor& FontDescriptor() {
  static CSharedDescriptor descriptor;
  return descriptor;
}

CSettingListener::CSettingListener() { CSettingsRegistry::Instance().AddListener(this); }
CSettingListener::~CSettingListener() { CSettingsRegistry::Instance().RemoveListener(this); }

namespace {
const CSettingDescriptor* DefaultDescriptor(SettingKind kind, const CSettingDescriptor* given,
                                            const char* defaultText) {
  if (given) return given;
  switch (kind) {
    case SettingKind::Text: return &DescriptorForDefault(defaultText ? defaultText : "");
    case SettingKind::Colour: return &ColourDescriptor();
    case SettingKind::Font: return &FontDescriptor();
    default: return nullptr;
  }
}
}  // namespace

CSetting::CSetting(SettingKind kind, const char* name, const char* defaultText,
                   const CSettingDescriptor* descriptor)
    : kind_(kind),
      name_(name),
      default_(defaultText ? defaultText : ""),
      descriptor_(DefaultDescriptor(kind, descriptor, defaultText)),
      text_(default_) {
  CSettingsRegistry::Instance().Register(this);
}

std::string CSetting::Group() const {
  std::string_view name(name_);
  return std::string(name.substr(0, name.find('_')));
}

std::string CSetting::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

bool CSetting::IsLocked() const { return CSettingsRegistry::Instance().IsLocked(name_); }

bool CSetting::ReplaceText(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (text_ == text) return false;
  text_.assign(text);
  tag_ = CacheTag::None;
  return true;
}

std::optional<std::string> CSetting::Refusal(std::string_view text) const {
  std::optional<std::string> reason;
  if (kind_ == SettingKind::Boolean) {
    reason = BooleanRefusal(text);
  } else if (descriptor_) {
    reason = descriptor_->Refusal(text);
  }
  if (reason) return std::string(name_) + ": " + *reason;
  return std::nullopt;
}

bool CSetting::Set(std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    if (text_ == text) return true;
  }
  if (IsLocked()) return false;
  if (const auto reason = Refusal(text)) {
    Log("Settings: refused %s\n", reason->c_str());
    return false;
  }
  if (!ReplaceText(text)) return true;
  CSettingsRegistry::Instance().Changed(*this, true);
  return true;
}

void CSetting::LoadText(std::string text) {
  std::lock_guard lock(mutex_);
  text_ = std::move(text);
  tag_ = CacheTag::None;
}

void CSetting::InstallText(std::string text) {
  if (!ReplaceText(text)) return;
  CSettingsRegistry::Instance().Changed(*this, false);
}

bool CSetting::GetBool() const {
  std::lock_guard lock(mutex_);
  if (tag_ != CacheTag::Boolean) {
    cache_.boolean = EqualsIgnoreCase(text_, "true") || EqualsIgnoreCase(text_, "yes") ||
                     EqualsIgnoreCase(text_, "on") || atoi(text_.c_str()) != 0;
    tag_ = CacheTag::Boolean;
  }
  return cache_.boolean;
}

int CSetting::GetInt() const {
  std::lock_guard lock(mutex_);
  if (tag_ != CacheTag::Integer) {
    cache_.integer = atoi(text_.c_str());
    tag_ = CacheTag::Integer;
  }
  return cache_.integer;
}

double CSetting::GetReal() const {
  std::lock_guard lock(mutex_);
  if (tag_ != CacheTag::Real) {
    cache_.real = strtod(text_.c_str(), nullptr);
    tag_ = CacheTag::Real;
  }
  return cache_.real;
}

bool CSetting::SetReal(double value) {
  char text[64];
  snprintf(text, sizeof text, "%.6f", value);
  std::string out(text);
  if (out.find('.') != std::string::npos) {
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
  }
  if (out == "-0") out = "0";
  return Set(out);
}

CSetting* FindSetting(std::string_view name) { return CSettingsRegistry::Instance().Find(name); }

std::string GetSettingText(std::string_view name) {
  CSetting* setting = FindSetting(name);
  return setting ? setting->Text() : std::string();
}

bool SetSettingText(std::string_view name, std::string_view text) {
  CSetting* setting = FindSetting(name);
  return setting && setting->Set(text);
}

void ResetOwnShipSettings(std::string_view exceptPrefix) {
  for (CSetting* s = CSettingsRegistry::Instance().Head(); s; s = s->Next()) {
    if (!StartsWithIgnoreCase(s->Name(), "OwnShip_")) continue;
    if (!exceptPrefix.empty() && StartsWithIgnoreCase(s->Name(), exceptPrefix)) continue;
    s->ResetToDefault();
  }
}

std::vector<CSetting*> AllSettings() {
  std::vector<CSetting*> all;
  for (CSetting* s = CSettingsRegistry::Instance().Head(); s; s = s->Next()) all.push_back(s);
  std::sort(all.begin(), all.end(),
            [](const CSetting* a, const CSetting* b) { return strcmp(a->Name(), b->Name()) < 0; });
  return all;
}

}  // namespace tarnwick
