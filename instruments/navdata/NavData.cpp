#include "instruments/navdata/NavData.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/settings/NavSettings.h"
#include "core/settings/SensorSettings.h"
#include "instruments/navdata/PositionSelection.h"
#include "instruments/navdata/TrueWind.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaPortContext.h"

namespace tarnwick {
namespace {

std::atomic<CNavData*> g_navData{nullptr};

constexpr const char* kAutomaticText = "Auto";
constexpr const char* kDeadReckoningSetting = "DR";
constexpr const char* kSimulatorName = "Simulator";
constexpr const char* kDeadReckoningName = "Dead Reckoning";
constexpr const char* kUnlabelledPort = "NMEA";

// A selection setting's text: automatic, dead reckoning or an index.
struct SelectionText {
  bool automatic = true;
  bool deadReckoning = false;
  std::optional<size_t> index;
};

SelectionText ParseSelection(const CSetting& setting, const std::string& text) {
  SelectionText parsed;
  if (text.empty() || EqualsIgnoreCase(text, kAutomaticText)) return parsed;
  if (EqualsIgnoreCase(text, kDeadReckoningSetting)) {
    parsed.automatic = false;
    parsed.deadReckoning = true;
    return parsed;
  }
  size_t index = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, index);
  if (ec != std::errc() || ptr != end) {
    Log("CNavData: %s=%s is not a sensor choice; selecting automatically\n", setting.Name(),
        text.c_str());
    return parsed;
  }
  parsed.automatic = false;
  parsed.index = index;
  return parsed;
}

CSetting* SettingOf(SelectedKind kind) {
  switch (kind) {
    case SelectedKind::Heading:
      return &opt::HeadingSensor;
    case SelectedKind::Depth:
      return &opt::DepthSensor;
    case SelectedKind::Ais:
      return &opt::AisSensor;
    case SelectedKind::SpeedThroughWater:
      return nullptr;
  }
  return nullptr;
}

bool IsPositionKind(std::string_view kind) {
  return kind == "pos" || kind == "pos-ais";
}

bool OfKind(const CNavSensor& sensor, SelectedKind kind) {
  const std::string& k = sensor.Kind();
  switch (kind) {
    case SelectedKind::Heading:
      return k == "hdg" || k == "hdg-ais";
    case SelectedKind::Depth:
      return k == "dpt";
    case SelectedKind::SpeedThroughWater:
      return k == "stw";
    case SelectedKind::Ais:
      return k == "ais";
  }
  return false;
}

std::optional<OwnShipValue> Aged(const std::optional<NavReading>& r, uint64_t now) {
  if (!r) return std::nullopt;
  return OwnShipValue{r->value, now > r->tick ? now - r->tick : 0};
}

std::string StatusText(const NavFix& fix) {
  if (fix.sourceKind == FixSourceKind::AisOwnShip) return kAisFixText;
  return FixQualityText(fix.quality);
}

}  // namespace

CNavData* NavData() {
  return g_navData.load(std::memory_order_acquire);
}

void InstallNavData(CNavData* store) {
  g_navData.store(store, std::memory_order_release);
}

CNavData::CNavData() {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
}

CNavData::~CNavData() {
  CNavData* self = this;
  g_navData.compare_exchange_strong(self, nullptr);
}

// --- registry ------------------------------------------------------------------

CSensor* CNavData::ObtainSensor(CNavSource& source, INmeaPortContext* port, std::string_view kind) {
  CNavSensor* sensor =
      CreateSensor(source, kind, port ? port->PortName() : std::string(kUnlabelledPort));
  // A port's heading sensor corrects by the port's setting.
  if (auto* hdg = dynamic_cast<CHeadingSensor*>(sensor); hdg && port) {
    std::lock_guard lock(mutex_);
    hdg->SetCorrection(port->HeadingCorrection());
  }
  return sensor;
}

CNavSensor* CNavData::CreateSensor(CNavSource& source, std::string_view kind,
                                   const std::string& portLabel) {
  std::unique_ptr<CNavSensor> sensor;
  {
    std::lock_guard lock(mutex_);
    if (CNavSensor* existing = FindLocked(source, kind)) return existing;
  }
  sensor = MakeSensor(kind, &source, portLabel);
  if (!sensor) {
    Log("CreateSensor: Unknown sensor type: %s\n", std::string(kind).c_str());
    return nullptr;
  }
  std::lock_guard lock(mutex_);
  if (CNavSensor* existing = FindLocked(source, kind)) return existing;
  Log("CNavData: registered %s (%s)\n", sensor->DisplayName().c_str(), sensor->Kind().c_str());
  RememberSourceLocked(&source);
  sensors_.push_back(std::move(sensor));
  return sensors_.back().get();
}

CNavSensor* CNavData::RegisterSensor(std::unique_ptr<CNavSensor> sensor) {
  if (!sensor) return nullptr;
  std::lock_guard lock(mutex_);
  RememberSourceLocked(sensor->Source());
  sensors_.push_back(std::move(sensor));
  return sensors_.back().get();
}

void CNavData::RegisterSource(CNavSource& source) {
  std::lock_guard lock(mutex_);
  RememberSourceLocked(&source);
}

void CNavData::RememberSourceLocked(const CNavSource* source) {
  if (source && std::find(sources_.begin(), sources_.end(), source) == sources_.end())
    sources_.push_back(source);
}

void CNavData::ForgetSource(const CNavSource& source) {
  std::lock_guard lock(mutex_);
  std::erase_if(sensors_, [&](const auto& s) { return s->Source() == &source; });
  std::erase(sources_, &source);
  positionSensor_ = nullptr;
  for (Selection* s : {&heading_, &depth_, &speed_, &aisSensor_}) s->selected = nullptr;
}

std::vector<std::string> CNavData::SensorNames() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& s : sensors_) names.push_back(s->DisplayName());
  return names;
}

double CNavData::HeadingCorrection(const CNavSource& source, const INmeaPortContext* port) {
  std::lock_guard lock(mutex_);
  if (auto* hdg = dynamic_cast<CHeadingSensor*>(FindLocked(source, "hdg")))
    return hdg->Correction();
  return port ? port->HeadingCorrection() : 0.0;
}

void CNavData::OnNewTransducer(CNavSource& source, std::string_view id, char type) {
  std::lock_guard lock(mutex_);
  const CNavSensor* xdr = FindLocked(source, "xdr");
  LogDebug("CNavData: transducer %.*s (%c) on %s\n", static_cast<int>(id.size()), id.data(), type,
           xdr ? xdr->PortName().c_str() : kUnlabelledPort);
}

bool CNavData::SetHeadingCorrection(std::string_view portLabel, double degrees) {
  std::lock_guard lock(mutex_);
  for (const auto& s : sensors_) {
    if (s->Kind() != "hdg" || s->PortName() != portLabel) continue;
    static_cast<CHeadingSensor*>(s.get())->SetCorrection(degrees);
    return true;
  }
  return false;
}

CNavSensor* CNavData::FindLocked(const CNavSource& source, std::string_view kind) const {
  for (const auto& s : sensors_) {
    if (s->Source() == &source && s->Kind() == kind) return s.get();
  }
  return nullptr;
}

std::vector<CNavSensor*> CNavData::PositionSensorsLocked() const {
  std::vector<CNavSensor*> list;
  for (const auto& s : sensors_) {
    if (IsPositionKind(s->Kind())) list.push_back(s.get());
  }
  return list;
}

// The sensors of a kind in the order they are asked: registration order, the
// ones fed by the own-ship AIS report last.
std::vector<CNavSensor*> CNavData::SensorsOfLocked(SelectedKind kind) const {
  std::vector<CNavSensor*> list;
  for (const auto& s : sensors_) {
    if (OfKind(*s, kind)) list.push_back(s.get());
  }
  std::stable_partition(list.begin(), list.end(),
                        [](const CNavSensor* s) { return !s->IsAisFed(); });
  return list;
}

// --- values --------------------------------------------------------------------

SensorContext CNavData::ContextLocked(uint64_t now) const {
  SensorContext context;
  context.now = now;
  context.options.useCompass = opt::Nav_UseCompass.GetBool();
  context.options.useVhwHeading = opt::Nav_UseVHWHeading.GetBool();
  context.ais = ais_;
  return context;
}

std::optional<NavReading> CNavData::GetValue(int item) {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
  return GetValueLocked(static_cast<NavItem>(item), ContextLocked(TickCount()));
}

std::optional<NavReading> CNavData::GetValueLocked(NavItem item, const SensorContext& context) {
  switch (KindOfItem(static_cast<int>(item))) {
    case NavItemKind::Pos:
      return PositionValueLocked(item, context);
    case NavItemKind::Hdg: {
      std::optional<NavReading> r = SelectedValueLocked(SelectedKind::Heading, item, context);
      if (!r && item == NavItem::HeadingTrue && simulator_.Running())
        r = NavReading{simulator_.Course(), context.now};
      return r;
    }
    case NavItemKind::Dpt:
      return SelectedValueLocked(SelectedKind::Depth, item, context);
    case NavItemKind::Stw:
      return SelectedValueLocked(SelectedKind::SpeedThroughWater, item, context);
    case NavItemKind::Other:
      return OtherValueLocked(item, context);
    case NavItemKind::Unknown:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<NavReading> CNavData::PositionValueLocked(NavItem item,
                                                        const SensorContext& context) {
  // The simulator and dead reckoning answer with the course and speed they move by.
  std::optional<double> course, speed;
  if (simulator_.Running()) {
    course = simulator_.Course();
    speed = simulator_.Speed();
  } else if (positionMode_ == PositionMode::DeadReckoning) {
    if (!deadReckoning_.Running()) return std::nullopt;
    course = deadReckoning_.Course();
    speed = deadReckoning_.Speed();
  }
  if (course && speed) {
    if (item == NavItem::SpeedOverGround) return NavReading{*speed, context.now};
    if (item == NavItem::CourseOverGround) return NavReading{*course, context.now};
    return std::nullopt;
  }
  if (!positionSensor_) return std::nullopt;
  return positionSensor_->GetValue(item, context);
}

std::optional<NavReading> CNavData::SelectedValueLocked(SelectedKind kind, NavItem item,
                                                        const SensorContext& context) {
  Selection& selection = SelectionOf(kind);
  const std::vector<CNavSensor*> list = SensorsOfLocked(kind);
  if (!selection.automatic && !selection.selected && selection.index) {
    // The manual choice counts in registration order, AIS-fed sensors included.
    size_t n = 0;
    for (const auto& s : sensors_) {
      if (!OfKind(*s, kind)) continue;
      if (n++ == *selection.index) selection.selected = s.get();
    }
  }
  if (!selection.automatic && selection.selected)
    return selection.selected->GetValue(item, context);
  for (CNavSensor* sensor : list) {
    if (std::optional<NavReading> r = sensor->GetValue(item, context)) {
      if (selection.automatic) selection.selected = sensor;
      return r;
    }
  }
  if (selection.automatic) selection.selected = nullptr;
  return std::nullopt;
}

std::optional<NavReading> CNavData::OtherValueLocked(NavItem item, const SensorContext& context) {
  for (const CNavSource* source : sources_) {
    auto lock = source->Lock();
    if (auto r = NmeaSourceValue(source->Data(), item, context.now, context.options)) return r;
  }
  for (INavFeatureProvider* provider : providers_) {
    if (auto r = provider->GetValue(item, context.now)) return r;
  }
  if (item != NavItem::TrueWindSpeed && item != NavItem::TrueWindDirection) return std::nullopt;
  const auto speed = OtherValueLocked(NavItem::ApparentWindSpeed, context);
  const auto angle = OtherValueLocked(NavItem::ApparentWindAngle, context);
  if (!speed || !angle) return std::nullopt;
  auto boat =
      SelectedValueLocked(SelectedKind::SpeedThroughWater, NavItem::SpeedThroughWater, context);
  if (!boat) boat = PositionValueLocked(NavItem::SpeedOverGround, context);
  if (!boat) return std::nullopt;
  const TrueWind wind = TrueWindFromApparent(speed->value, angle->value, boat->value);
  const uint64_t tick = std::min({speed->tick, angle->tick, boat->tick});
  return NavReading{item == NavItem::TrueWindSpeed ? wind.speed : wind.angle, tick};
}

// --- fix -----------------------------------------------------------------------

std::optional<NavFix> CNavData::GetFix() {
  return GetFixState().fix;
}

FixState CNavData::GetFixState() {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
  return FixStateLocked(ContextLocked(TickCount()));
}

FixState CNavData::FixStateLocked(const SensorContext& context) {
  FixState state;
  if (simulator_.Running()) {
    NavFix fix;
    fix.sourceKind = FixSourceKind::Estimated;
    fix.quality = kFixSimulated;
    fix.position = *simulator_.Position(context.now);
    fix.tick = context.now;
    fix.sourceName = kSimulatorName;
    state.fix = fix;
    state.quality = kFixSimulated;
    state.text = FixQualityText(kFixSimulated);
    state.source = kSimulatorName;
    state.simulated = true;
    return state;
  }
  if (positionMode_ != PositionMode::DeadReckoning) return ReceiverFixLocked(context);

  if (!deadReckoning_.Running()) {
    // Waiting for a first fix to start from.
    const PositionMode mode = positionMode_;
    positionMode_ = PositionMode::Automatic;
    const FixState receiver = ReceiverFixLocked(context);
    positionMode_ = mode;
    if (receiver.fix) StartDeadReckoningLocked(receiver.fix->position, context);
  }
  state.deadReckoning = true;
  state.text = kDeadReckoningText;
  state.source = kDeadReckoningName;
  if (!deadReckoning_.Running()) return state;
  NavFix fix;
  fix.sourceKind = FixSourceKind::Estimated;
  fix.quality = kFixEstimated;
  fix.position = *deadReckoning_.Position(context.now);
  fix.tick = context.now;
  fix.sourceName = kDeadReckoningName;
  state.fix = fix;
  state.quality = kFixEstimated;
  return state;
}

FixState CNavData::ReceiverFixLocked(const SensorContext& context) {
  FixState state;
  const std::vector<CNavSensor*> sensors = PositionSensorsLocked();
  auto usable = [](const std::optional<NavFix>& fix) { return fix && fix->quality >= kFixGps; };
  auto accept = [&](const NavFix& fix) {
    state.fix = fix;
    state.quality = fix.quality;
    state.text = StatusText(fix);
    state.source = fix.sourceName;
    lastFix_ = fix;
  };

  if (positionMode_ == PositionMode::Manual) {
    if (!positionSensor_ && positionIndex_ && *positionIndex_ < sensors.size())
      positionSensor_ = sensors[*positionIndex_];
    std::optional<NavFix> fix;
    if (positionSensor_) {
      fix = positionSensor_->GetFix(context);
      state.source = positionSensor_->DisplayName();
    }
    if (usable(fix)) {
      accept(*fix);
    } else {
      state.quality = fix ? fix->quality : kFixNoGps;
      state.text = FixQualityText(state.quality);
    }
    return state;
  }

  std::vector<PositionCandidate> candidates;
  candidates.reserve(sensors.size());
  for (CNavSensor* sensor : sensors) {
    candidates.push_back({sensor->Priority(), sensor->GetFix(context)});
  }
  // Without a usable fix the status shows the best any sensor reported
  // ("INVALID" before "LOST GPS"), or "NO GPS" when none reported anything.
  std::optional<int> best;
  for (size_t i : RankPositionCandidates(candidates)) {
    const std::optional<NavFix>& fix = candidates[i].fix;
    if (usable(fix)) {
      positionSensor_ = sensors[i];
      accept(*fix);
      return state;
    }
    if (fix) best = std::max(best.value_or(fix->quality), fix->quality);
  }
  state.quality = best.value_or(kFixNoGps);
  state.text = FixQualityText(state.quality);
  return state;
}

void CNavData::StartDeadReckoningLocked(const LatLon& from, const SensorContext& context) {
  std::optional<NavReading> course, speed;
  if (positionSensor_) {
    course = positionSensor_->GetValue(NavItem::CourseOverGround, context);
    speed = positionSensor_->GetValue(NavItem::SpeedOverGround, context);
  }
  if (!course || !speed) {
    if (std::shared_ptr<const OwnShipSnapshot> last = Snapshot(); last && last->cog && last->sog) {
      course = NavReading{last->cog->value, context.now};
      speed = NavReading{last->sog->value, context.now};
    }
  }
  if (!course || !speed) {
    course = SelectedValueLocked(SelectedKind::Heading, NavItem::HeadingTrue, context);
    speed =
        SelectedValueLocked(SelectedKind::SpeedThroughWater, NavItem::SpeedThroughWater, context);
  }
  deadReckoning_.Start(from, context.now, course ? course->value : 0.0, speed ? speed->value : 0.0);
  Log("CNavData: dead reckoning from %.6f %.6f, %.1f deg at %.1f kn\n", from.lat, from.lon,
      deadReckoning_.Course(), deadReckoning_.Speed());
}

void CNavData::SteerDeadReckoningLocked(const SensorContext& context) {
  if (positionMode_ != PositionMode::DeadReckoning || !deadReckoning_.Running()) return;
  const auto heading = SelectedValueLocked(SelectedKind::Heading, NavItem::HeadingTrue, context);
  const auto stw =
      SelectedValueLocked(SelectedKind::SpeedThroughWater, NavItem::SpeedThroughWater, context);
  if (heading && stw) deadReckoning_.Steer(heading->value, stw->value, context.now);
}

// --- selection -----------------------------------------------------------------

CNavData::Selection& CNavData::SelectionOf(SelectedKind kind) {
  switch (kind) {
    case SelectedKind::Heading:
      return heading_;
    case SelectedKind::Depth:
      return depth_;
    case SelectedKind::SpeedThroughWater:
      return speed_;
    case SelectedKind::Ais:
      return aisSensor_;
  }
  return heading_;
}

void CNavData::ApplySettingsLocked() {
  std::string text = opt::PositionSensor.Text();
  if (text != positionApplied_) ApplyPositionSettingLocked(text);
  for (SelectedKind kind : {SelectedKind::Heading, SelectedKind::Depth, SelectedKind::Ais}) {
    CSetting& setting = *SettingOf(kind);
    text = setting.Text();
    Selection& selection = SelectionOf(kind);
    if (text == selection.appliedText) continue;
    const SelectionText parsed = ParseSelection(setting, text);
    selection.automatic = !parsed.index;
    selection.index = parsed.index;
    selection.selected = nullptr;
    selection.appliedText = text;
  }
}

void CNavData::ApplyPositionSettingLocked(const std::string& text) {
  positionApplied_ = text;
  const SelectionText parsed = ParseSelection(opt::PositionSensor, text);
  if (parsed.deadReckoning) {
    if (positionMode_ == PositionMode::DeadReckoning) return;
    positionMode_ = PositionMode::DeadReckoning;
    if (lastFix_) StartDeadReckoningLocked(lastFix_->position, ContextLocked(TickCount()));
    return;
  }
  deadReckoning_.Stop();
  positionMode_ = parsed.index ? PositionMode::Manual : PositionMode::Automatic;
  positionIndex_ = parsed.index;
  if (parsed.index) positionSensor_ = nullptr;
}

void CNavData::SelectPositionSensor(size_t index) {
  const std::string text = std::to_string(index);
  opt::PositionSensor.Set(text);
  std::lock_guard lock(mutex_);
  ApplyPositionSettingLocked(text);
}

void CNavData::SelectAutomaticPosition() {
  opt::PositionSensor.Set(kAutomaticText);
  std::lock_guard lock(mutex_);
  ApplyPositionSettingLocked(kAutomaticText);
}

bool CNavData::SelectDeadReckoning() {
  opt::PositionSensor.Set(kDeadReckoningSetting);
  std::lock_guard lock(mutex_);
  ApplyPositionSettingLocked(kDeadReckoningSetting);
  return deadReckoning_.Running();
}

bool CNavData::AutomaticPositionSelection() {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
  return positionMode_ == PositionMode::Automatic;
}

std::vector<PositionSensorEntry> CNavData::PositionSensors() {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
  const SensorContext context = ContextLocked(TickCount());
  std::vector<PositionSensorEntry> entries;
  for (CNavSensor* sensor : PositionSensorsLocked()) {
    PositionSensorEntry entry;
    entry.name = sensor->DisplayName();
    const std::optional<NavFix> fix = sensor->GetFix(context);
    entry.hasFix = fix && fix->quality >= kFixGps;
    if (entry.hasFix) entry.hdop = fix->hdop;
    entry.selected = positionMode_ != PositionMode::DeadReckoning && sensor == positionSensor_;
    char suffix[48];
    if (entry.hasFix)
      snprintf(suffix, sizeof suffix, " (HDOP=%.2f)", entry.hdop.value_or(0.0));
    else
      snprintf(suffix, sizeof suffix, " (No Fix)");
    entry.label = entry.name + suffix;
    entries.push_back(std::move(entry));
  }
  return entries;
}

void CNavData::SelectSensor(SelectedKind kind, std::optional<size_t> index) {
  const std::string text = index ? std::to_string(*index) : std::string(kAutomaticText);
  if (CSetting* setting = SettingOf(kind)) setting->Set(text);
  std::lock_guard lock(mutex_);
  Selection& selection = SelectionOf(kind);
  selection.automatic = !index;
  selection.index = index;
  selection.selected = nullptr;
  if (SettingOf(kind)) selection.appliedText = text;
}

std::string CNavData::SelectedSensorName(SelectedKind kind) {
  std::lock_guard lock(mutex_);
  ApplySettingsLocked();
  Selection& selection = SelectionOf(kind);
  if (kind == SelectedKind::Ais && !selection.selected) {
    const std::vector<CNavSensor*> list = SensorsOfLocked(kind);
    if (selection.automatic && !list.empty()) selection.selected = list.front();
    if (!selection.automatic && selection.index && *selection.index < list.size())
      selection.selected = list[*selection.index];
  }
  return selection.selected ? selection.selected->DisplayName() : std::string();
}

// --- simulator and collaborators -------------------------------------------------

void CNavData::StartSimulator(const LatLon& position, double course, double speed) {
  std::lock_guard lock(mutex_);
  simulator_.Start(position, TickCount(), course, speed);
  Log("CNavData: simulator started at %.6f %.6f, %.1f deg at %.1f kn\n", position.lat, position.lon,
      simulator_.Course(), simulator_.Speed());
}

void CNavData::StopSimulator() {
  std::lock_guard lock(mutex_);
  simulator_.Stop();
}

void CNavData::SetSimulatorCourse(double course) {
  std::lock_guard lock(mutex_);
  simulator_.SetCourse(course, TickCount());
}

void CNavData::SetSimulatorSpeed(double speed) {
  std::lock_guard lock(mutex_);
  simulator_.SetSpeed(speed, TickCount());
}

void CNavData::SetSimulatorSteering(SimulatorSteering steering) {
  std::lock_guard lock(mutex_);
  simulator_.SetSteering(std::move(steering));
}

bool CNavData::SimulatorRunning() {
  std::lock_guard lock(mutex_);
  return simulator_.Running();
}

void CNavData::SetAisOwnShipSource(const IAisOwnShipSource* source) {
  std::lock_guard lock(mutex_);
  ais_ = source;
}

void CNavData::AddFeatureProvider(INavFeatureProvider* provider) {
  std::lock_guard lock(mutex_);
  if (provider) providers_.push_back(provider);
}

void CNavData::RemoveFeatureProvider(INavFeatureProvider* provider) {
  std::lock_guard lock(mutex_);
  std::erase(providers_, provider);
}

void CNavData::SetTalkerOutput(std::function<void(std::string_view)> output) {
  std::lock_guard lock(mutex_);
  talkerOutput_ = std::move(output);
}

// --- the tick ------------------------------------------------------------------

void CNavData::UpdateNavInfo() {
  const uint64_t now = TickCount();
  const int64_t utc = UtcNowMs();
  auto snapshot = std::make_shared<OwnShipSnapshot>();
  snapshot->tickMs = now;
  snapshot->utcMs = utc;
  std::optional<std::string> sentence;
  std::function<void(std::string_view)> output;
  {
    std::lock_guard lock(mutex_);
    ApplySettingsLocked();
    const SensorContext context = ContextLocked(now);
    SteerDeadReckoningLocked(context);
    sentence = simulator_.Update(now, utc);
    output = talkerOutput_;

    const FixState state = FixStateLocked(context);
    OwnShipFix& fix = snapshot->fix;
    fix.quality = state.quality;
    fix.text = state.text;
    fix.source = state.source;
    fix.deadReckoning = state.deadReckoning;
    fix.simulated = state.simulated;
    if (state.fix) {
      fix.sourceKind = state.fix->sourceKind;
      fix.position = state.fix->position;
      fix.altitude = state.fix->altitude;
      fix.hdop = state.fix->hdop;
      fix.utcSeconds = state.fix->utcSeconds;
      fix.ageMs = now > state.fix->tick ? now - state.fix->tick : 0;
      if (positionSensor_ && positionSensor_->Source()) {
        const CNavSource& source = *positionSensor_->Source();
        auto sourceLock = source.Lock();
        const ReceiverValues& receiver = source.Data().receiver;
        if (receiver.datumAlert && receiver.localDatum.Current(now))
          fix.localDatum = receiver.localDatum.value;
      }
    }
    auto value = [&](NavItem item) { return Aged(GetValueLocked(item, context), now); };
    snapshot->cog = value(NavItem::CourseOverGround);
    snapshot->sog = value(NavItem::SpeedOverGround);
    snapshot->headingTrue = value(NavItem::HeadingTrue);
    snapshot->headingMagnetic = value(NavItem::HeadingMagnetic);
    snapshot->stw = value(NavItem::SpeedThroughWater);
    snapshot->depth = value(NavItem::Depth);
    snapshot->rot = value(NavItem::RateOfTurn);
    snapshot->waterTemperature = value(NavItem::WaterTemperature);
    snapshot->wind.apparentSpeed = value(NavItem::ApparentWindSpeed);
    snapshot->wind.apparentAngle = value(NavItem::ApparentWindAngle);
    snapshot->wind.trueSpeed = value(NavItem::TrueWindSpeed);
    snapshot->wind.trueDirection = value(NavItem::TrueWindDirection);
  }
  {
    std::lock_guard lock(snapshotMutex_);
    snapshot->sequence = ++sequence_;
    snapshot_ = std::move(snapshot);
  }
  if (sentence && output) output(*sentence);
}

std::shared_ptr<const OwnShipSnapshot> CNavData::Snapshot() const {
  std::lock_guard lock(snapshotMutex_);
  if (snapshot_) return snapshot_;
  static const auto empty = std::make_shared<const OwnShipSnapshot>();
  return empty;
}

}  // namespace tarnwick
