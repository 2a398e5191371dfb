#pragma once
// The JSON line of one GRIB record, as `tarnwick grib dump` writes it:
// {"parameter":33,"table":3,"centre":7,"level_type":105,"level":10,
//  "reference":"2011-10-08T00:00:00Z","valid":"2011-10-11T00:00:00Z",
//  "weather_type":"WIND","grid":{"type":0,"ni":144,...,"scan":0},
//  "count":10512,"missing":0,"min":...,"max":...,"mean":...}
// and, with the points, "points":[[lat,lon,value|null],...] in the record's
// scanning order. Numbers are the shortest texts that read back the same;
// times and statistics not available are null.

#include <string>

#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribRecord.h"

namespace tarnwick {

// Appends the record's line (without a line feed). geometry is the record's
// grid geometry, or null when its points cannot be placed ("points" is then null).
void AppendGribRecordJson(std::string& out, const GribRecord& record, const CGribGeometry* geometry,
                          bool withPoints);

// The shortest text of a number that reads back as the same double (a float
// for AppendFloat), without ".0" on whole numbers; null for NaN and infinities.
void AppendNumber(std::string& out, double value);
void AppendFloat(std::string& out, float value);

}  // namespace tarnwick
