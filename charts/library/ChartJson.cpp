#include "charts/library/ChartJson.h"

namespace tarnwick {

void WriteDegreeBox(CJsonWriter& json, const MercatorBox& box) {
  const auto sw = MercatorInverse(0, box.south);
  const auto ne = MercatorInverse(0, box.north);
  if (!sw || !ne) {
    json.Null();
    return;
  }
  // x is a * longitude: read directly, a box's edges on the antimeridian stay
  // where they are; only edges past it are brought back into -180..180.
  const auto longitude = [](double x) {
    double lon = x / kChartEarthA * 180.0 / 3.14159265358979323846;
    if (lon > 180.0 + 1e-9) lon -= 360.0;
    if (lon < -180.0 - 1e-9) lon += 360.0;
    return lon;
  };
  json.BeginObject()
      .Member("north", ne->lat)
      .Member("west", longitude(box.west))
      .Member("south", sw->lat)
      .Member("east", longitude(box.east))
      .EndObject();
}

void WriteChartJson(CJsonWriter& json, const ChartRecord& chart) {
  json.BeginObject()
      .Member("id", chart.id)
      .Member("name", chart.name)
      .Member("path", chart.path.string())
      .Member("kind", ChartKindName(chart.kind))
      .Member("source", chart.source.string())
      .Member("scale", chart.scale);
  if (chart.edition) json.Member("edition", *chart.edition);
  if (chart.update) json.Member("update", *chart.update);
  if (chart.extent.west < chart.extent.east && chart.extent.south < chart.extent.north) {
    json.Key("extent");
    WriteDegreeBox(json, chart.extent);
  }
  json.Member("status", ChartStatusName(chart.status));
  if (!chart.message.empty()) json.Member("message", chart.message);
  if (!chart.failedUpdate.empty()) json.Member("failedUpdate", chart.failedUpdate);
  if (!chart.updateError.empty()) json.Member("updateError", chart.updateError);
  json.EndObject();
}

void WriteSourceJson(CJsonWriter& json, const ChartSource& source) {
  json.BeginObject()
      .Member("path", source.path.string())
      .Member("folder", source.folder)
      .Member("installation", source.installation)
      .Member("charts", uint64_t{source.charts})
      .EndObject();
}

void WriteProgressJson(CJsonWriter& json, const ChartBuildProgress& progress) {
  json.BeginObject()
      .Member("busy", progress.busy)
      .Member("done", uint64_t{progress.done})
      .Member("total", uint64_t{progress.total})
      .Key("current")
      .BeginArray();
  for (const std::string& text : progress.current) json.String(text);
  json.EndArray().EndObject();
}

std::string ChartJsonLine(const ChartRecord& chart) {
  std::string out;
  CJsonWriter json(out);
  WriteChartJson(json, chart);
  return out;
}

}  // namespace tarnwick
