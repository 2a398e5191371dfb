#pragma once
// World coastline as GeoJSON for the map view: the land and lake regions and
// the shoreline of a box, clipped to it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "charts/coastline/CoastlineFile.h"

namespace tarnwick {

// Parses "minLon,minLat,maxLon,maxLat" (degrees). Latitudes within [-90, 90]
// with minLat < maxLat; longitudes within [-540, 540]. minLon > maxLon is a
// box across 180 (maxLon then counts 360 more). The result has west < east,
// east - west <= 360; it may reach beyond +-180 so that a map showing 170..190
// gets coordinates in that range. Empty when the text is not such a box.
std::optional<CoastBox> ParseCoastBbox(std::string_view text);

// A FeatureCollection with, per level present in the box, one MultiPolygon
// feature {"kind": "land" (odd level) or "lake" (even level), "level": L} and
// one MultiLineString feature {"kind": "coast", "level": L}, all clipped to
// box; longitudes are shifted by whole
// turns into the box's range. Features come in drawing order: polygons by
// rising level (each level paints over the one below), then the coast lines.
//
// Polygons are merged across cells when the box holds at most mergeLimit
// points; above that (a large box at a fine resolution) merging costs
// seconds, so the land comes cell by cell and the cells' common edges remain
// (fill them with a stroke of the fill colour to hide the seams).
inline constexpr size_t kCoastMergeLimit = 100000;
std::string CoastlineGeoJson(const CCoastlineFile& file, const CoastBox& box,
                             size_t mergeLimit = kCoastMergeLimit);

}  // namespace tarnwick
