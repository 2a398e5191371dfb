#include "navobjects/model/Mark.h"

namespace tarnwick {
namespace {

const ValueChoice kLabelPositions[] = {
    {kLabelRight, "Right"}, {kLabelLeft, "Left"},     {kLabelAbove, "Above"},
    {kLabelBelow, "Below"}, {kLabelCentre, "Centre"},
};

const ValueChoice kBoundaryCircleKinds[] = {
    {kBoundaryCircleNone, "None"},
    {kBoundaryCircleAnnounce, "Announce entering and leaving"},
    {kBoundaryCircleOffLimits, "Off limits"},
};

}  // namespace

const CClassDescriptor& CMark::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Mark", &CNavObject::Descriptor(),
      {
          prop::Field<&CMark::color>("Color", T::Colour, ColourDefault(kRgbBlue)),
          prop::Field<&CMark::comments>("Comments", T::Text),
          prop::Field<&CMark::photo>("Photo", T::Text),
          prop::Field<&CMark::link>("Link", T::Text),
          prop::Field<&CMark::position>("Position", T::Position),
          prop::Field<&CMark::icon>("Icon", T::Icon),
          prop::Field<&CMark::arrivalCircleRadius>("ArrivalCircleRadius", T::Distance),
          prop::Field<&CMark::showName>("ShowName", T::Boolean, 1),
          prop::Field<&CMark::namePosition>("NamePosition", T::Integer, kLabelRight,
                                            kLabelPositions),
          prop::Field<&CMark::showDescription>("ShowDescription", T::Boolean, 0),
          prop::Field<&CMark::descriptionPosition>("DescriptionPosition", T::Integer, kLabelBelow,
                                                   kLabelPositions),
          prop::Field<&CMark::rangeCircleColor>("RangeCircleColor", T::Colour,
                                                ColourDefault(kRgbBlue)),
          prop::Field<&CMark::rangeCircleDisplayCount>("RangeCircleDisplayCount", T::Integer, 0),
          prop::Field<&CMark::rangeCirclePenWidth>("RangeCirclePenWidth", T::Number, 1),
          prop::Field<&CMark::rangeCircleRadius>("RangeCircleRadius", T::Distance),
          prop::Field<&CMark::rangeCircleFill>("RangeCircleFill", T::Boolean, 0),
          prop::Field<&CMark::boundaryCircleOffLimits>("BoundaryCircleOffLimits", T::Integer, 0,
                                                       kBoundaryCircleKinds),
          prop::Field<&CMark::layoverTime>("LayoverTime", T::Duration, 0),
          prop::Field<&CMark::nameOffset>("NameOffset", T::Offset),
          prop::Field<&CMark::descriptionOffset>("DescriptionOffset", T::Offset),
          prop::Field<&CMark::existsOutsideCollection>("ExistsOutsideCollection", T::Boolean, 0),
          prop::Field<&CMark::turnRadius>("TurnRadius", T::Distance),
          prop::Field<&CMark::nmeaAlarm>("NMEAAlarm", T::Text),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
          prop::Command("Activate", kCmdActivate, &RunActivateCommand),
          prop::Command("Deactivate", kCmdDeactivate, &RunDeactivateCommand),
      });
  return descriptor;
}

double CMark::ArrivalRadiusNm() const {
  if (!arrivalCircleRadius.IsValid()) return 0.1;
  return arrivalCircleRadius.value > 0 ? arrivalCircleRadius.NauticalMiles() : 0.0;
}

double CMark::RangeCircleRadiusNm() const {
  return rangeCircleRadius.IsValid() && rangeCircleRadius.value > 0
             ? rangeCircleRadius.NauticalMiles()
             : 0.25;
}

}  // namespace tarnwick
