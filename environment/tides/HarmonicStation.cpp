#include "environment/tides/HarmonicStation.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {
namespace {

constexpr int64_t kBlendSeconds = 3600;
// Subordinate events are looked for this far beyond a span, besides the offsets.
constexpr int64_t kSubordinateMargin = 3 * 3600;
// The bracketing events of a subordinate level are searched in a window that
// starts at a day each side and doubles up to this.
constexpr int64_t kBracketStart = 86400;
constexpr int64_t kBracketLimit = 32 * 86400;

// The blending weight of the later year and its derivatives by x (order 0..3).
double BlendWeight(double x, int order) {
  if (x * x >= 1) return order == 0 ? (x > 0 ? 1.0 : 0.0) : 0.0;
  const double x2 = x * x;
  switch (order) {
    case 0:
      return ((3 * x2 - 10) * x2 + 15) * x / 16 + 0.5;
    case 1:
      return ((x2 - 2) * x2 + 1) * 15.0 / 16.0;
    case 2:
      return (x2 - 1) * x * 3.75;
    default:
      return (3 * x2 - 1) * 3.75;
  }
}

double Binomial(int n, int k) {
  static const double kRows[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};
  return kRows[n][k];
}

}  // namespace

HarmonicStation::HarmonicStation(std::shared_ptr<CHarmonicYears> years,
                                 std::vector<HarmonicConstant> constants, double datum,
                                 int64_t meridianOffset, bool hydraulic, bool current)
    : years_(std::move(years)),
      datum_(datum),
      meridianOffset_(meridianOffset),
      hydraulic_(hydraulic),
      current_(current) {
  const size_t n = std::min<size_t>(constants.size(), kConstituentCount);
  for (size_t c = 0; c < n; ++c) {
    if (constants[c].amplitude == 0) continue;
    active_.push_back(static_cast<int>(c));
    amplitude_.push_back(constants[c].amplitude);
    phase_.push_back(constants[c].phase);
    speed_.push_back(ConstituentSpeed(static_cast<int>(c)));
  }
}

void HarmonicStation::SetSubordinate(const SubordinateCorrections& corrections) {
  subordinate_ = true;
  corrections_ = corrections;
  bracket_.reset();
}

double HarmonicStation::MaxAmplitude() {
  if (maxAmplitude_ == 0) {
    for (int y = years_->FirstYear(); y < years_->FirstYear() + years_->Count(); ++y) {
      const HarmonicYear* data = years_->Year(y);
      if (!data) continue;
      double sum = 0;
      for (size_t i = 0; i < active_.size(); ++i) {
        sum += amplitude_[i] * data->nodeFactor[static_cast<size_t>(active_[i])];
      }
      maxAmplitude_ = std::max(maxAmplitude_, sum);
    }
  }
  return maxAmplitude_;
}

double HarmonicStation::DerivativeBound(int order) {
  order = std::clamp(order, 1, 3);
  double& bound = derivativeBound_[static_cast<size_t>(order)];
  if (bound == 0) {
    const double a = MaxAmplitude();
    if (a <= 0) return 0;
    for (int y = years_->FirstYear(); y < years_->FirstYear() + years_->Count(); ++y) {
      const HarmonicYear* data = years_->Year(y);
      if (!data) continue;
      double sum = 0;
      for (size_t i = 0; i < active_.size(); ++i) {
        const double w = amplitude_[i] * data->nodeFactor[static_cast<size_t>(active_[i])] / a;
        sum += std::fabs(w) * std::pow(speed_[i], order);
      }
      bound = std::max(bound, sum);
    }
    bound *= 1.1;
  }
  return bound;
}

const HarmonicStation::LoadedYear* HarmonicStation::Load(int year) {
  for (const LoadedYear& slot : loaded_) {
    if (!slot.weight.empty() && slot.year == year) return &slot;
  }
  const HarmonicYear* data = years_->Year(year);
  const double a = MaxAmplitude();
  if (!data || a <= 0) return nullptr;
  LoadedYear& slot = loaded_[nextSlot_];
  nextSlot_ = (nextSlot_ + 1) % loaded_.size();
  slot.year = year;
  slot.start = YearStartUtc(year);
  slot.weight.resize(active_.size());
  slot.argument.resize(active_.size());
  for (size_t i = 0; i < active_.size(); ++i) {
    const auto c = static_cast<size_t>(active_[i]);
    slot.weight[i] = amplitude_[i] * data->nodeFactor[c] / a;
    slot.argument[i] = data->equilibrium[c] - phase_[i];
  }
  return &slot;
}

void HarmonicStation::YearSums(const LoadedYear& year, int64_t t, int maxOrder,
                               double* out) const {
  const size_t n = active_.size();
  const double tau = static_cast<double>(t - year.start + meridianOffset_);
  double sums[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    const double w = year.weight[i];
    const double speed = speed_[i];
    const double arg = year.argument[i] + speed * tau;
    const double c = std::cos(arg);
    // cos(arg + d*pi/2) * speed^d for d = 0..3.
    sums[0] += w * c;
    if (maxOrder >= 1) {
      const double s = std::sin(arg);
      sums[1] -= w * s * speed;
      if (maxOrder >= 2) sums[2] -= w * c * speed * speed;
      if (maxOrder >= 3) sums[3] += w * s * speed * speed * speed;
    }
  }
  for (int d = 0; d <= maxOrder; ++d) out[d] = sums[d];
}

bool HarmonicStation::Sums(int64_t t, int maxOrder, double* out) {
  const int y = YearOfUtc(t);
  const LoadedYear* here = years_->Contains(y) ? Load(y) : nullptr;
  if (!here) {
    for (int d = 0; d <= maxOrder; ++d) out[d] = 0;
    return false;
  }
  const int64_t sinceStart = t - here->start;
  const int64_t untilNext = YearStartUtc(y + 1) - t;
  int otherYear = 0;
  double x = 0;
  bool laterIsOther = false;
  if (sinceStart <= kBlendSeconds && years_->Contains(y - 1)) {
    otherYear = y - 1;
    x = static_cast<double>(sinceStart) / kBlendSeconds;
  } else if (untilNext <= kBlendSeconds && years_->Contains(y + 1)) {
    otherYear = y + 1;
    x = -static_cast<double>(untilNext) / kBlendSeconds;
    laterIsOther = true;
  } else {
    YearSums(*here, t, maxOrder, out);
    return true;
  }
  double mine[4];
  double other[4];
  YearSums(*here, t, maxOrder, mine);
  // Loading the other year may replace a slot, never the one in use.
  const LoadedYear* there = Load(otherYear);
  if (!there) {
    for (int d = 0; d <= maxOrder; ++d) out[d] = mine[d];
    return true;
  }
  YearSums(*there, t, maxOrder, other);
  const double* left = laterIsOther ? mine : other;
  const double* right = laterIsOther ? other : mine;
  for (int d = 0; d <= maxOrder; ++d) {
    double value = left[d];
    for (int k = 0; k <= d; ++k) {
      value += Binomial(d, k) * (right[k] - left[k]) * BlendWeight(x, d - k) /
               std::pow(static_cast<double>(kBlendSeconds), d - k);
    }
    out[d] = value;
  }
  return true;
}

double HarmonicStation::Normalised(int64_t t, int order) {
  order = std::clamp(order, 0, 3);
  double sums[4];
  Sums(t, order, sums);
  return sums[order];
}

double HarmonicStation::Denormalise(double value) {
  const double a = MaxAmplitude();
  if (!hydraulic_) return value * a + datum_;
  return (value >= 0 ? std::sqrt(value * a) : -std::sqrt(-value * a)) + datum_;
}

std::optional<double> HarmonicStation::ReferenceLevel(int64_t t) {
  if (!years_->Contains(YearOfUtc(t)) || MaxAmplitude() <= 0) return std::nullopt;
  double sums[1];
  if (!Sums(t, 0, sums)) return std::nullopt;
  return Denormalise(sums[0]);
}

std::optional<double> HarmonicStation::Level(int64_t t) {
  return subordinate_ ? SubordinateLevel(t) : ReferenceLevel(t);
}

void HarmonicStation::AddZeros(std::vector<TideEvent>& events, const ZeroFunction& f,
                               int64_t start, int64_t end, int risingType, int fallingType) {
  int64_t t = start;
  while (auto zero = FindNextZero(f, t, end)) {
    TideEvent event;
    event.type = zero->rising ? risingType : fallingType;
    event.time = zero->time;
    double sums[1];
    Sums(zero->time, 0, sums);
    event.value = Denormalise(sums[0]);
    event.refTime = event.time;
    event.refValue = event.value;
    events.push_back(event);
    t = zero->time;
  }
}

std::vector<TideEvent> HarmonicStation::ReferenceEvents(int64_t start, int64_t end) {
  std::vector<TideEvent> events;
  start = std::max(start, years_->SpanStart());
  end = std::min(end, years_->SpanEnd() - 1);
  if (end < start || MaxAmplitude() <= 0) return events;
  // Highs and lows (maximum flood and ebb) are the zeros of the first derivative.
  ZeroFunction extremes;
  extremes.probe = [this](int64_t t) {
    double sums[3];
    Sums(t, 2, sums);
    return ZeroProbeValue{sums[1], sums[2]};
  };
  extremes.maxSlope = DerivativeBound(2);
  extremes.maxCurvature = DerivativeBound(3);
  AddZeros(events, extremes, start, end, kTideLow, kTideHigh);
  if (current_) {
    // Slack is where the current (mean flow included) is zero.
    const double a = MaxAmplitude();
    const double shift =
        hydraulic_ ? (datum_ >= 0 ? 1 : -1) * datum_ * datum_ / a : datum_ / a;
    ZeroFunction slack;
    slack.probe = [this, shift](int64_t t) {
      double sums[2];
      Sums(t, 1, sums);
      return ZeroProbeValue{sums[0] + shift, sums[1]};
    };
    slack.maxSlope = DerivativeBound(1);
    slack.maxCurvature = DerivativeBound(2);
    AddZeros(events, slack, start, end, kSlackBeforeFlood, kSlackBeforeEbb);
    std::stable_sort(events.begin(), events.end(),
                     [](const TideEvent& a, const TideEvent& b) { return a.time < b.time; });
  }
  return events;
}

std::vector<TideEvent> HarmonicStation::Events(int64_t start, int64_t end) {
  if (!subordinate_) return ReferenceEvents(start, end);
  const SubordinateCorrections& c = corrections_;
  const int64_t margin =
      kSubordinateMargin + std::max({std::llabs(c.lowTimeOffset), std::llabs(c.highTimeOffset),
                                     std::llabs(c.floodBeginsOffset), std::llabs(c.ebbBeginsOffset)});
  std::vector<TideEvent> events;
  for (TideEvent e : ReferenceEvents(start - margin, end + margin)) {
    switch (e.type) {
      case kTideLow:
        e.time += c.lowTimeOffset;
        e.value = e.value * c.lowMultiplier + c.lowOffset;
        break;
      case kTideHigh:
        e.time += c.highTimeOffset;
        e.value = e.value * c.highMultiplier + c.highOffset;
        break;
      case kSlackBeforeFlood:
        e.time += c.floodBeginsOffset;
        break;
      case kSlackBeforeEbb:
        e.time += c.ebbBeginsOffset;
        break;
      default:
        continue;
    }
    if (e.time >= start && e.time <= end) events.push_back(e);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const TideEvent& a, const TideEvent& b) { return a.time < b.time; });
  return events;
}

std::optional<double> HarmonicStation::SubordinateLevel(int64_t t) {
  if (!bracket_ || t < bracket_->first.time || t > bracket_->second.time) {
    bracket_.reset();
    for (int64_t window = kBracketStart; window <= kBracketLimit && !bracket_; window *= 2) {
      const std::vector<TideEvent> events = Events(t - window, t + window);
      const auto after = std::find_if(events.begin(), events.end(),
                                       [t](const TideEvent& e) { return e.time > t; });
      if (after == events.begin() || after == events.end()) continue;
      bracket_ = std::make_pair(*(after - 1), *after);
    }
    if (!bracket_) return std::nullopt;
  }
  const TideEvent& e1 = bracket_->first;
  const TideEvent& e2 = bracket_->second;
  const double span = static_cast<double>(e2.time - e1.time);
  const double along = span > 0 ? static_cast<double>(t - e1.time) / span : 0;
  if (e1.refValue == e2.refValue) return e1.value + along * (e2.value - e1.value);
  const auto refTime = static_cast<int64_t>(
      std::llround(static_cast<double>(e1.refTime) + along * static_cast<double>(e2.refTime - e1.refTime)));
  const auto ref = ReferenceLevel(refTime);
  if (!ref) return std::nullopt;
  return e1.value + (*ref - e1.refValue) * (e2.value - e1.value) / (e2.refValue - e1.refValue);
}

LevelRange HarmonicStation::Range() {
  const double a = MaxAmplitude();
  const double r = hydraulic_ ? std::sqrt(a) : a;
  LevelRange range;
  range.upper = (datum_ + r) * corrections_.highMultiplier + corrections_.highOffset;
  range.lower = (datum_ - r) * corrections_.lowMultiplier + corrections_.lowOffset;
  range.mid = (range.upper + range.lower) / 2;
  range.halfRange = (range.upper - range.lower) / 2;
  return range;
}

}  // namespace tarnwick
