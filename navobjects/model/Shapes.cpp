#include "navobjects/model/Shapes.h"

#include "core/geo/Geodesy.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

const ValueChoice kReferenceChoices[] = {{kMeasureFromFirst, "From first mark"},
                                         {kMeasureFromSecond, "From second mark"}};

PropertyValue RangeOf(const CSelectable& object) {
  auto nm = static_cast<const CRangeBearing&>(object).RangeNm();
  return PropertyValue(nm ? Length{*nm, LengthUnit::NauticalMiles} : Length{});
}

PropertyValue BearingOf(const CSelectable& object) {
  const auto& line = static_cast<const CRangeBearing&>(object);
  auto degrees = line.BearingDegrees();
  if (!degrees) return PropertyValue(std::string());
  const LatLon& from = line.Marks()[line.refPoint == kMeasureFromSecond ? 1 : 0]->position;
  return PropertyValue(FormatBearing(*degrees, from, kBearingTrue, true));
}

}  // namespace

const CClassDescriptor& CBoundary::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Boundary", &CNavObject::Descriptor(),
      {
          prop::Accessor("Marks", T::MarkList, &CMarkPath::GetMarks, &CMarkPath::SetMarks),
          prop::Field<&CBoundary::displayLegRangeBearing>("DisplayLegRangeBearing", T::Boolean, 0),
          prop::Field<&CBoundary::color>("Color", T::Colour, ColourDefault(kRgbRed)),
          prop::Field<&CBoundary::fillArea>("FillArea", T::Boolean, 0),
          prop::Field<&CBoundary::enableAlarm>("EnableAlarm", T::Boolean, 1),
          prop::Field<&CBoundary::minSpeedLimit>("MinSpeedLimit", T::Speed, 0),
          prop::Field<&CBoundary::maxSpeedLimit>("MaxSpeedLimit", T::Speed, 0),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
      });
  return descriptor;
}

const CClassDescriptor& CChannel::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Channel", &CNavObject::Descriptor(),
      {
          prop::Accessor("Marks", T::MarkList, &CMarkPath::GetMarks, &CMarkPath::SetMarks),
          prop::Field<&CChannel::displayLegRangeBearing>("DisplayLegRangeBearing", T::Boolean, 0),
          prop::Field<&CChannel::color>("Color", T::Colour, ColourDefault(kRgbBlue)),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
      });
  return descriptor;
}

const CClassDescriptor& CRangeBearing::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "RangeBearing", &CNavObject::Descriptor(),
      {
          prop::Accessor("Marks", T::MarkList, &CMarkPath::GetMarks, &CMarkPath::SetMarks),
          prop::Field<&CRangeBearing::displayLegRangeBearing>("DisplayLegRangeBearing", T::Boolean,
                                                              1),
          prop::Field<&CRangeBearing::fixedRangeBearing>("FixedRangeBearing", T::Boolean, 0),
          prop::Computed("Bearing", T::Text, &BearingOf),
          prop::Computed("Range", T::Distance, &RangeOf),
          prop::Field<&CRangeBearing::color>("Color", T::Colour, ColourDefault(kRgbMagenta)),
          prop::Field<&CRangeBearing::refPoint>("RefPoint", T::Integer, kMeasureFromFirst,
                                                kReferenceChoices),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
      });
  return descriptor;
}

std::optional<double> CRangeBearing::RangeNm() const {
  if (Marks().size() < 2) return std::nullopt;
  return Distance(Marks()[0]->position, Marks()[1]->position);
}

std::optional<double> CRangeBearing::BearingDegrees() const {
  if (Marks().size() < 2) return std::nullopt;
  const LatLon& a = Marks()[0]->position;
  const LatLon& b = Marks()[1]->position;
  return refPoint == kMeasureFromSecond ? Bearing(b, a) : Bearing(a, b);
}

const CClassDescriptor& CAnnotation::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Annotation", &CNavObject::Descriptor(),
      {
          prop::Field<&CAnnotation::position>("Position", T::Position),
          prop::Field<&CAnnotation::color>("Color", T::Colour, ColourDefault(kRgbBlack)),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
      });
  return descriptor;
}

}  // namespace tarnwick
