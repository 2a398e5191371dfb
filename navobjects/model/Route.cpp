#include "navobjects/model/Route.h"

#include <algorithm>
#include <cstdio>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

const ValueChoice kSelectChoices[] = {{0, "Skip"}, {1, "Use"}};
const ValueChoice kCharacteristicChoices[] = {{kLegRhumbLine, "Rhumb line"},
                                              {kLegGreatCircle, "Great circle"}};
const ValueChoice kWaypointStyles[] = {
    {kWaypointCircle, "Circle"}, {kWaypointSymbol, "Symbol"}, {kWaypointNone, "None"}};

PropertyValue RouteTotalLength(const CSelectable& object) {
  return PropertyValue(
      Length{static_cast<const CRoute&>(object).TotalLengthNm(), LengthUnit::NauticalMiles});
}

const CClassDescriptor* LegClass() {
  return &CRouteLeg::Descriptor();
}

std::vector<CSelectable*> LegsToWrite(CSelectable& object) {
  std::vector<CSelectable*> legs;
  bool anyChanged = false;
  for (const auto& leg : static_cast<CRoute&>(object).Legs()) {
    legs.push_back(leg.get());
    anyChanged = anyChanged || !leg->IsDefault();
  }
  // Legs that all hold their defaults are implied by the marks.
  if (!anyChanged) legs.clear();
  return legs;
}

CSelectable* AppendLeg(CSelectable& object) {
  auto& legs = static_cast<CRoute&>(object).MutableLegs();
  legs.push_back(std::make_shared<CRouteLeg>());
  return legs.back().get();
}

}  // namespace

const CClassDescriptor& CRouteLeg::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "RouteLeg", nullptr,
      {
          prop::Field<&CRouteLeg::plannedSpeed>("PlannedSpeed", T::Speed, 0),
          prop::Field<&CRouteLeg::select>("Select", T::Integer, 1, kSelectChoices),
          prop::Field<&CRouteLeg::characteristic>("Characteristic", T::Integer, kLegRhumbLine,
                                                  kCharacteristicChoices),
          prop::Field<&CRouteLeg::extension>("Extension", T::Boolean, 1),
          prop::Field<&CRouteLeg::currentStation>("CurrentStation", T::Text),
          prop::Field<&CRouteLeg::crossTrackLimit>("CrossTrackLimit", T::Distance),
      });
  return descriptor;
}

bool CRouteLeg::IsDefault() const {
  return plannedSpeed == 0 && select == 1 && characteristic == kLegRhumbLine && extension &&
         currentStation.empty() && !crossTrackLimit.IsValid();
}

const CClassDescriptor& CRoute::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Route", &CNavObject::Descriptor(),
      {
          prop::Accessor("Marks", T::MarkList, &CMarkPath::GetMarks, &CMarkPath::SetMarks),
          prop::Link("RouteLeg", &LegClass, &LegsToWrite, &AppendLeg),
          prop::Field<&CRoute::displayLegRangeBearing>("DisplayLegRangeBearing", T::Boolean, 0),
          prop::Field<&CRoute::directionArrows>("DirectionArrows", T::Boolean, 1),
          prop::Field<&CRoute::displayLegExtensions>("DisplayLegExtensions", T::Boolean, 0),
          prop::Field<&CRoute::displayCrossTrackLimit>("DisplayCrossTrackLimit", T::Boolean, 0),
          prop::Field<&CRoute::color>("Color", T::Colour, ColourDefault(kRgbBlack)),
          prop::Field<&CRoute::activeColor>("ActiveColor", T::Colour, ColourDefault(kRgbGreen)),
          prop::Field<&CRoute::inactiveColor>("InactiveColor", T::Colour, ColourDefault(kRgbGrey)),
          prop::Computed("TotalLength", T::Distance, &RouteTotalLength),
          prop::Field<&CRoute::startTime>("StartTime", T::Time),
          prop::Field<&CRoute::startAt>("StartAt", T::Text),
          prop::Field<&CRoute::waypointStyle>("WaypointStyle", T::Integer, kWaypointCircle,
                                              kWaypointStyles),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
      });
  return descriptor;
}

std::string CRoute::WaypointDisplayName(size_t index) const {
  if (index >= Marks().size()) return {};
  const CMark& mark = *Marks()[index];
  if (!mark.name.empty()) return mark.name;
  char text[16];
  snprintf(text, sizeof text, "%03d", static_cast<int>(index + 1));
  return text;
}

double CRoute::TotalLengthNm() const {
  double total = 0;
  for (size_t i = 1; i < Marks().size(); ++i)
    total += Distance(Marks()[i - 1]->position, Marks()[i]->position);
  return total;
}

void CRoute::InsertMarkAt(size_t index, std::shared_ptr<CMark> mark) {
  auto& marks = MutableMarks();
  index = std::min(index, marks.size());
  marks.insert(marks.begin() + static_cast<std::ptrdiff_t>(index), std::move(mark));
  if (marks.size() < 2) return;
  // A new first or last mark adds a fresh leg; a mark inside splits a leg.
  std::shared_ptr<CRouteLeg> leg = std::make_shared<CRouteLeg>();
  if (index > 0 && index < marks.size() - 1 && index - 1 < legs_.size()) {
    const CRouteLeg& split = *legs_[index - 1];
    leg->plannedSpeed = split.plannedSpeed;
    leg->select = split.select;
    leg->characteristic = split.characteristic;
    leg->extension = split.extension;
    leg->currentStation = split.currentStation;
    leg->crossTrackLimit = split.crossTrackLimit;
  }
  const size_t legIndex = std::min(index == marks.size() - 1 ? index - 1 : index, legs_.size());
  legs_.insert(legs_.begin() + static_cast<std::ptrdiff_t>(legIndex), std::move(leg));
  MarksChanged();
}

void CRoute::RemoveMarkAt(size_t index) {
  auto& marks = MutableMarks();
  if (index >= marks.size()) return;
  marks.erase(marks.begin() + static_cast<std::ptrdiff_t>(index));
  if (!legs_.empty()) {
    const size_t legIndex = std::min(index, legs_.size() - 1);
    legs_.erase(legs_.begin() + static_cast<std::ptrdiff_t>(legIndex));
  }
  MarksChanged();
}

void CRoute::MarksChanged() {
  if (HasPendingIds()) return;
  const size_t wanted = Marks().size() > 1 ? Marks().size() - 1 : 0;
  while (legs_.size() < wanted) legs_.push_back(std::make_shared<CRouteLeg>());
  if (legs_.size() > wanted) legs_.resize(wanted);
}

}  // namespace tarnwick
