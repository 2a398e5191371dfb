#pragma once
// Named, typed settings. Each setting is declared once, as a global object in
// the file of the feature that owns it, and links itself into the process-wide
// registry at static initialisation. Values are texts; typed readings are
// cached until the text changes.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class SettingKind : int {
  Choice = 1,    // one keyword of a list
  Boolean = 2,
  Text = 3,      // free text, numbers, measurements with a unit ("6 nm", "30 min")
  Colour = 4,
  Font = 6,
  DateTime = 7,
};

const char* SettingKindName(SettingKind kind);  // "choice", "boolean", ...

// The longest text a setting takes from the page or the command line; longer
// texts are no setting's value and would only fill storage.db.
inline constexpr size_t kMaxSettingTextBytes = 4096;

// Describes the admissible values of choice, text, colour and font settings.
class CSettingDescriptor {
 public:
  virtual ~CSettingDescriptor() = default;
  // Why text cannot be a value ("\"leagues\" is not one of: ..."), or nothing
  // when it is admissible. The shared descriptors admit every text.
  virtual std::optional<std::string> Refusal(std::string_view text) const;
};

struct ChoiceOption {
  std::string keyword;
  std::string label;
};

// The keywords of one choice setting with the labels shown for them.
class CChoiceDescriptor final : public CSettingDescriptor {
 public:
  CChoiceDescriptor(std::initializer_list<ChoiceOption> options) : options_(options) {}
  const std::vector<ChoiceOption>& Options() const { return options_; }
  // The option with this keyword (case-insensitive), or nullptr.
  const ChoiceOption* Find(std::string_view keyword) const;
  // A keyword not in the list is refused; an empty list (filled at run time,
  // such as the voices of the system) admits every text.
  std::optional<std::string> Refusal(std::string_view text) const override;

 private:
  std::vector<ChoiceOption> options_;
};

// Shared descriptors: all free-text settings share one, all colours one, all fonts one.
const CSettingDescriptor& TextDescriptor();
const CSettingDescriptor& ColourDescriptor();
const CSettingDescriptor& FontDescriptor();

class CSetting;

// Told when a particular setting changes (the feature that owns it).
class ISettingOwner {
 public:
  virtual ~ISettingOwner() = default;
  virtual void SettingChanged(CSetting& setting) = 0;
};

// Told when any setting changes; registers itself for its lifetime.
class CSettingListener {
 public:
  CSettingListener();
  virtual ~CSettingListener();
  CSettingListener(const CSettingListener&) = delete;
  CSettingListener& operator=(const CSettingListener&) = delete;
  virtual void SettingChanged(CSetting& setting) = 0;
};

class CSetting {
 public:
  // descriptor: nullptr picks, for text settings, the value descriptor that
  // fits the default (a number, a duration such as "5 min", a length such as
  // "0.25 nm", else free text; see SettingValues.h), and the shared one for
  // colour and font kinds.
  CSetting(SettingKind kind, const char* name, const char* defaultText,
           const CSettingDescriptor* descriptor = nullptr);
  CSetting(const CSetting&) = delete;
  CSetting& operator=(const CSetting&) = delete;

  const char* Name() const { return name_; }
  SettingKind Kind() const { return kind_; }
  const char* DefaultText() const { return default_; }
  const CSettingDescriptor* Descriptor() const { return descriptor_; }
  // The text before the first underscore ("AIS" for AIS_ShowCPA).
  std::string Group() const;
  CSetting* Next() const { return next_; }

  std::string Text() const;
  // Why text cannot be this setting's value ("Units_Distance: \"leagues\" is
  // not one of: ..."), or nothing when it is admissible. Booleans admit true,
  // false, yes, no, on, off and integers; other kinds ask their descriptor.
  std::optional<std::string> Refusal(std::string_view text) const;
  // Replaces the text. Equal text: nothing happens, success. Locked or not
  // admissible (Refusal): failure, nothing changes. Otherwise the group is
  // marked for saving and the owner, then every listener, is told.
  bool Set(std::string_view text);
  bool IsLocked() const;
  bool ResetToDefault() { return Set(default_); }

  // "true", "yes", "on" (any case) or a non-zero leading integer.
  bool GetBool() const;
  // The leading integer (atoi rules; 0 when none).
  int GetInt() const;
  // The leading real number (strtod rules; 0 when none).
  double GetReal() const;
  bool SetBool(bool value) { return Set(value ? "true" : "false"); }
  bool Toggle() { return SetBool(!GetBool()); }
  bool SetInt(int value) { return Set(std::to_string(value)); }
  // Stored with six decimals, trailing zeros and point removed (2.5, 10).
  bool SetReal(double value);

  void SetOwner(ISettingOwner* owner) { owner_ = owner; }
  ISettingOwner* Owner() const { return owner_; }

  // Replaces the text without saving or notifying (start-up load).
  void LoadText(std::string text);
  // Replaces the text and notifies, without marking the group for saving (Admin.ini).
  void InstallText(std::string text);

 private:
  enum class CacheTag { None, Boolean, Integer, Real };

  // Replaces the text; returns false when it was already equal.
  bool ReplaceText(std::string_view text);
  void Notify();

  const SettingKind kind_;
  const char* const name_;
  const char* const default_;
  const CSettingDescriptor* const descriptor_;
  ISettingOwner* owner_ = nullptr;
  CSetting* next_ = nullptr;

  mutable std::mutex mutex_;
  std::string text_;
  mutable CacheTag tag_ = CacheTag::None;
  mutable union {
    bool boolean;
    int integer;
    double real;
  } cache_{};

  friend class CSettingsRegistry;
};

// Lookup and access by name (case-insensitive).
CSetting* FindSetting(std::string_view name);
// The setting's text, or "" when there is no such setting.
std::string GetSettingText(std::string_view name);
// False when there is no such setting or it is locked.
bool SetSettingText(std::string_view name, std::string_view text);

// Resets every "OwnShip_" setting to its default, except those whose name also
// starts with exceptPrefix when one is given.
void ResetOwnShipSettings(std::string_view exceptPrefix = {});

// Every registered setting, sorted by name.
std::vector<CSetting*> AllSettings();

// Case-insensitive comparison helpers shared by the settings code.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace tarnwick
