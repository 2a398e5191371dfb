#pragma once
// The texts of property values: the persistent text written to object files,
// the display text shown to the navigator, and the parsing of either back into
// a value. Parsing failures give none; callers then leave the value unchanged.

#include <optional>
#include <string>
#include <string_view>

#include "navobjects/model/ClassDescriptor.h"
#include "navobjects/model/PropertyTypes.h"

namespace tarnwick {

// "rgb(%g, %g, %g)" with each channel divided by 255 ("rgb(1, 0, 0)" is red).
std::string FormatColourText(Rgb colour);
// Reads "rgb(r, g, b)" (all channels 0..1 as fractions of 255, otherwise bytes
// 0..255), "#RRGGBB" and the names black, white, red, green, blue, yellow,
// magenta, cyan, grey/gray, orange.
std::optional<Rgb> ParseColourText(std::string_view text);

// "%lf %c %lf %c": absolute latitude, N/S, absolute longitude, E/W.
std::string FormatPositionText(const LatLon& position);

// Knots -> "5.5 kt" (up to 2 decimals).
std::string FormatSpeedText(double knots);
// A number with an optional unit: kt, kts, kn, knots (the default), mph, kph,
// km/h, m/s. Result in knots.
std::optional<double> ParseSpeedText(std::string_view text);

// Seconds -> "10 min", "2 h", "1 d" when the value is a whole number of that
// unit, else "90 s" (up to 3 decimals).
std::string FormatDurationText(double seconds);
// One or more "<number> <unit>" parts, summed ("1 h 30 min", "0s", "600"):
// s, sec, secs, second(s); m, min, mins, minute(s); h, hr, hrs, hour(s);
// d, day(s). A bare number is seconds. Result in seconds.
std::optional<double> ParseDurationText(std::string_view text);

// The Length text with short unit words and no ',' group separators
// ("0.25 NM", "1200 yd"); "" for an invalid Length.
std::string FormatDistanceText(const Length& length);

// The persistent text of a value by the row's type ("" for rows without text:
// mark lists, attachments, sub-objects).
std::string PersistentText(const PropertyDescriptor& row, const PropertyValue& value);
// The text shown in property pages (formatted by the unit settings).
std::string DisplayText(const PropertyDescriptor& row, const PropertyValue& value);
// Converts a persistent or typed text into a value of the row's type.
std::optional<PropertyValue> ParsePropertyText(const PropertyDescriptor& row,
                                               std::string_view text);

// True when a file leaves the value out: an empty text; integers, colours,
// durations, offsets and booleans equal to the default; numbers, speeds and
// bearings exactly equal to it; a TurnRadius of 0; an empty list.
bool IsOmittedValue(const PropertyDescriptor& row, const PropertyValue& value);

}  // namespace tarnwick
