#include "charts/s52/S52Portrayal.h"

#include <cstdlib>
#include <ctime>

#include "charts/s52/S52Procedures.h"

namespace tarnwick {
namespace {

// The mariner's navigation objects have no rows in the library's look-up
// tables; these are theirs.
const CS52LookupTable& MarinerTable() {
  static const CS52LookupTable table = [] {
    CS52LookupTable t("mariner");
    t.AddText(
        "\"ownshp\",\"\",\"CS(OWNSHP02)\",\"9\",\"O\",\"MARINERS STANDARD\",\"52010\"\n"
        "\"vessel\",\"\",\"CS(VESSEL02)\",\"9\",\"O\",\"MARINERS STANDARD\",\"52020\"\n"
        "\"pastrk\",\"\",\"CS(PASTRK01)\",\"8\",\"O\",\"MARINERS STANDARD\",\"52030\"\n"
        "\"vrmebl\",\"\",\"CS(VRMEBL01)\",\"9\",\"O\",\"MARINERS STANDARD\",\"52040\"\n"
        "\"clrlin\",\"\",\"CS(CLRLIN01)\",\"8\",\"O\",\"MARINERS STANDARD\",\"52050\"\n"
        "\"leglin\",\"\",\"CS(LEGLIN03)\",\"8\",\"O\",\"MARINERS STANDARD\",\"52060\"\n");
    return t;
  }();
  return table;
}

int TodayYmd() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  return (utc.tm_year + 1900) * 10000 + (utc.tm_mon + 1) * 100 + utc.tm_mday;
}

// A date attribute: "CCYYMMDD" as a full date, "--MMDD" as a day of any year
// (returned as MMDD with yearly set); none when unreadable.
std::optional<int> DateValue(std::string_view text, bool& yearly) {
  yearly = false;
  if (text.size() == 6 && text.substr(0, 2) == "--") {
    yearly = true;
    text.remove_prefix(2);
  } else if (text.size() != 8) {
    return std::nullopt;
  }
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Whether today lies in the attribute pair's period (an open end counts as met).
bool WithinPeriod(const IS52Feature& feature, std::string_view startName, std::string_view endName, int today) {
  bool startYearly = false, endYearly = false;
  const auto startText = feature.Attribute(startName);
  const auto endText = feature.Attribute(endName);
  const auto start = startText ? DateValue(*startText, startYearly) : std::nullopt;
  const auto end = endText ? DateValue(*endText, endYearly) : std::nullopt;
  if (startYearly || endYearly) {
    const int day = today % 10000;
    const int from = start ? *start % 10000 : 101;
    const int to = end ? *end % 10000 : 1231;
    return from <= to ? (day >= from && day <= to) : (day >= from || day <= to);
  }
  return (!start || today >= *start) && (!end || today <= *end);
}

bool HasAny(const IS52Feature& feature, std::initializer_list<std::string_view> attributes) {
  for (auto name : attributes)
    if (auto value = feature.Attribute(name); value && !value->empty()) return true;
  return false;
}

}  // namespace

bool S52TextGroupShown(int group, const S52MarinerSettings& s) {
  if (group >= 50) return true;
  if (group >= 10 && group <= 19) return s.showImportantText;
  if (group == 21 || group == 26) return s.showNames;
  if (group == 23) return s.showLightDescriptions;
  return s.showOtherText;
}

bool S52ViewingGroupShown(const S52PortrayedFeature& p, const IS52Feature& feature, const S52MarinerSettings& s) {
  const std::string_view acronym = feature.Acronym();
  if (p.unknownObject) return s.showUnknownObjects;
  if (p.category == S52Category::DisplayBase) return true;
  if (p.category == S52Category::MarinersStandard || p.category == S52Category::MarinersOther) return true;
  const int g = p.viewingGroup;
  if (acronym == "DEPCNT") {
    // The drying line (the zero contour) belongs to the standard display.
    const auto valdco = feature.Attribute("VALDCO");
    if (valdco && std::strtod(std::string(*valdco).c_str(), nullptr) == 0) return s.showDryingLine || s.showDepthContours;
    return s.showDepthContours;
  }
  if (g == 21010 || g == 21020) return s.showUnknownObjects;
  if (g >= 21000 && g < 25000) return s.showStandardMiscellaneous;
  if (g >= 25000 && g < 26000) return s.showRouteingSystems;
  if (g == 26050 || g == 26150) return acronym == "CTNARE" ? s.showCautionaryNotes : s.showBoundaries;
  if (g == 26260) return s.showArchipelagicSeaLanes;
  if (g >= 26000 && g < 27000) return s.showRestrictedAreas;
  if (g == 27020 || g == 27025 || g == 27050 || g == 27060) return s.showNavAidStructures;
  if (g == 27070) return s.showNavAidLights;
  if (g >= 27000 && g < 28000) return s.showNavAids;
  if (g >= 28000 && g < 30000) return s.showStandardMiscellaneous;
  if (g == 31010) return s.showAccuracy;
  if (g == 31040) return s.showChartScaleBoundaries;
  if (g == 31080) return s.showMagneticVariation;
  if (g == 33010) return s.showSpotSoundings;
  if (g == 33020) return s.showDepthContours;
  if (g >= 33040 && g < 34000) return s.showTidal;
  if (g == 34010 || g == 34020) return s.showSeabed;
  if (g == 34030 || g == 34070) return s.showCablesAndPipes;
  if (g == 34050 || g == 34051) return s.showAllIsolatedDangers;
  if (g >= 30000 && g < 40000) return s.showOtherMiscellaneous;
  return true;
}

S52PortrayedFeature CS52Portrayal::PortrayWith(const IS52Feature& feature, const IS52FeatureSource& source,
                                               const S52MarinerSettings& settings, int todayYmd) const {
  S52PortrayedFeature out;
  const S52TableSet tables = library_.SelectTables(source.Inland(), settings.simplifiedPoints,
                                                   settings.symbolizedBoundaries);
  S52LookupResult result = library_.Lookup(feature, tables);
  if (!result.classFound) {
    bool found = false;
    const S52LookupEntry* entry = MarinerTable().Find(feature, &found);
    if (found) result = {entry, &MarinerTable(), true};
  }
  if (result.entry) {
    out.entry = result.entry;
    out.table = CS52Library::TableTitle(result.table->Name());
    out.priority = result.entry->priority;
    out.overRadar = result.entry->overRadar;
    out.category = result.entry->category;
    out.viewingGroup = result.entry->viewingGroup;
  }
  out.unknownObject = !result.classFound;
  S52ProcedureContext context{feature, source, library_, settings, out};
  if (result.entry) S52RunProgram(result.entry->program, context);

  const int today = todayYmd > 0 ? todayYmd : TodayYmd();
  bool inDate = true;
  if (HasAny(feature, {"DATSTA", "DATEND", "PERSTA", "PEREND"})) {
    inDate = WithinPeriod(feature, "DATSTA", "DATEND", today) && WithinPeriod(feature, "PERSTA", "PEREND", today);
    if (settings.highlightDateDependent) S52AddSymbol(out, "CHDATD01");
  }
  if ((settings.highlightInfo && HasAny(feature, {"INFORM", "NINFOM"})) ||
      (settings.highlightDocument && HasAny(feature, {"TXTDSC", "NTXTDS", "PICREP"})))
    S52AddSymbol(out, "INFORM01");
  out.shown = S52ViewingGroupShown(out, feature, settings) && (inDate || !settings.useDateDependent);
  return out;
}

void CS52Portrayal::RefreshLocked() {
  const uint64_t generation = S52SettingsGeneration();
  const int today = TodayYmd();
  if (generation == generation_ && today == today_) return;
  settings_ = ReadS52MarinerSettings();
  generation_ = generation;
  today_ = today;
  cache_.clear();
}

std::shared_ptr<const S52PortrayedFeature> CS52Portrayal::Portray(const IS52Feature& feature,
                                                                  const IS52FeatureSource& source) {
  S52MarinerSettings settings;
  int today = 0;
  const Key key{&source, feature.Key()};
  {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    settings = settings_;
    today = today_;
  }
  auto portrayed = std::make_shared<const S52PortrayedFeature>(PortrayWith(feature, source, settings, today));
  std::lock_guard lock(mutex_);
  if (settings_.scheme == settings.scheme && today_ == today) cache_.emplace(key, portrayed);
  return portrayed;
}

S52MarinerSettings CS52Portrayal::Settings() {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  return settings_;
}

void CS52Portrayal::Invalidate() {
  std::lock_guard lock(mutex_);
  cache_.clear();
  generation_ = 0;
}

void CS52Portrayal::Forget(const IS52FeatureSource& source) {
  std::lock_guard lock(mutex_);
  std::erase_if(cache_, [&](const auto& entry) { return entry.first.source == &source; });
}

size_t CS52Portrayal::CachedCount() {
  std::lock_guard lock(mutex_);
  return cache_.size();
}

}  // namespace tarnwick
