#pragma once
// Texts of the portrayal: the printf-like formats of TE instructions filled
// with attribute values, the light description, and shortened names.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Fills format's conversions (%s, %d, %i, %f and %lf with flags, width and
// precision; "%%" a percent sign) with values in order. A numeric conversion
// of a value that is not a number, too few values, or an unknown conversion
// gives none (the text is not drawn).
std::optional<std::string> FormatS52Text(std::string_view format, const std::vector<std::string_view>& values);

// A feature name shortened with the chart abbreviations of INT 1 ("Point" →
// "Pt", "Island" → "I", "Harbour" → "Hbr", ...), word by word.
std::string ShortenS52Name(std::string_view name);

// The nature of the seabed as the chart abbreviates it, from NATSUR and its
// qualifiers NATQUA (list values, matched in order): "S" for sand, "fS.M"
// for fine sand and mud. Unknown codes are left out.
std::string FormatS52SeabedText(std::string_view natsur, std::string_view natqua);

// Light description from the light's attribute texts (any may be empty):
// character (LITCHR), signal group (SIGGRP), colours (COLOUR), period
// (SIGPER, seconds), height (HEIGHT, metres), nominal range (VALNMR, nautical
// miles), category (CATLIT): e.g. "Fl(2)R.6s12m15M", "Dir.Iso.W.4s".
std::string FormatS52LightDescription(std::string_view litchr, std::string_view siggrp, std::string_view colour,
                                      std::string_view sigper, std::string_view height, std::string_view valnmr,
                                      std::string_view catlit);

}  // namespace tarnwick
