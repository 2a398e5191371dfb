// Plane-sailing helpers for drawing predictors and circles on the map.

const NM_PER_DEG = 60;

// The point reached from {lat, lon} (degrees) after distanceNm (nautical
// miles) on course (degrees true), by rhumb line on a sphere of 60 nm per
// degree; good for the few miles of a predictor.
export function destination(lat, lon, courseDeg, distanceNm) {
  const c = (courseDeg * Math.PI) / 180;
  const dLat = (distanceNm * Math.cos(c)) / NM_PER_DEG;
  const lat2 = Math.max(-89.9, Math.min(89.9, lat + dLat));
  const midLat = ((lat + lat2) / 2) * (Math.PI / 180);
  const dLon = (distanceNm * Math.sin(c)) / (NM_PER_DEG * Math.max(1e-6, Math.cos(midLat)));
  let lon2 = lon + dLon;
  if (lon2 > 180) lon2 -= 360;
  if (lon2 < -180) lon2 += 360;
  return { lat: lat2, lon: lon2 };
}

// Mercator metres per metre on the ground at latitude lat (degrees): the
// scale factor of a circle of ground radius drawn in projected metres.
export function mercatorScale(lat) {
  return 1 / Math.max(1e-6, Math.cos((lat * Math.PI) / 180));
}

// The coastline files by map scale (denominator of 1:scale): crude below
// 1:30M, low to 1:5M, intermediate to 1:1M, high above. minScale inclusive.
export const COAST_BANDS = [
  { res: 'c', minScale: 30e6, maxScale: Infinity },
  { res: 'l', minScale: 5e6, maxScale: 30e6 },
  { res: 'i', minScale: 1e6, maxScale: 5e6 },
  { res: 'h', minScale: 0, maxScale: 1e6 },
];

// The coastline resolution letter for a map scale denominator.
export function coastResolution(scale) {
  return (COAST_BANDS.find((b) => scale >= b.minScale) ?? COAST_BANDS[COAST_BANDS.length - 1]).res;
}
