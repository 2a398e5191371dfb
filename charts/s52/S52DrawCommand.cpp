#include "charts/s52/S52DrawCommand.h"

#include "core/JsonWriter.h"

namespace tarnwick {

const char* S52OpName(S52Op op) {
  switch (op) {
    case S52Op::AreaColour: return "AC";
    case S52Op::AreaPattern: return "AP";
    case S52Op::SimpleLine: return "LS";
    case S52Op::ComplexLine: return "LC";
    case S52Op::Symbol: return "SY";
    case S52Op::Text: return "TX";
    case S52Op::Arc: return "ARC";
    case S52Op::Leg: return "LEG";
  }
  return "SY";
}

const char* S52LineStyleName(S52LineStyle style) {
  switch (style) {
    case S52LineStyle::Solid: return "SOLD";
    case S52LineStyle::Dashed: return "DASH";
    case S52LineStyle::Dotted: return "DOTT";
  }
  return "SOLD";
}

S52LineStyle ParseS52LineStyle(std::string_view text) {
  if (text == "DASH") return S52LineStyle::Dashed;
  if (text == "DOTT") return S52LineStyle::Dotted;
  return S52LineStyle::Solid;
}

namespace {

void WriteRuns(CJsonWriter& json, const S52DrawCommand& command) {
  if (command.runs.empty()) return;
  json.Key("runs").BeginArray();
  for (const auto& run : command.runs)
    json.BeginArray().UInt(run.part).UInt(run.first).UInt(run.last).EndArray();
  json.EndArray();
}

}  // namespace

void AppendS52CommandJson(std::string& out, const S52DrawCommand& c) {
  CJsonWriter json(out);
  json.BeginObject().Member("op", S52OpName(c.op));
  switch (c.op) {
    case S52Op::AreaColour:
      json.Member("colour", c.name);
      if (c.transparency) json.Member("transparency", c.transparency);
      break;
    case S52Op::AreaPattern:
      json.Member("pattern", c.name);
      if (c.rotation != 0) json.Member("rotation", c.rotation);
      break;
    case S52Op::SimpleLine:
      json.Member("style", S52LineStyleName(c.style)).Member("width", c.width).Member("colour", c.name);
      WriteRuns(json, c);
      break;
    case S52Op::ComplexLine:
      json.Member("style", c.name);
      WriteRuns(json, c);
      break;
    case S52Op::Symbol:
      json.Member("symbol", c.name).Key("rotation").Double(c.rotation);
      if (c.trueBearing) json.Member("trueBearing", true);
      if (c.vertex >= 0) json.Member("vertex", c.vertex);
      break;
    case S52Op::Text:
      json.Member("text", c.text.text)
          .Member("hjust", c.text.hjust)
          .Member("vjust", c.text.vjust)
          .Member("spacing", c.text.spacing)
          .Member("font", c.text.font)
          .Member("dx", c.text.dx)
          .Member("dy", c.text.dy)
          .Member("colour", c.name)
          .Member("group", c.text.group);
      break;
    case S52Op::Arc:
      json.Member("style", S52LineStyleName(c.style))
          .Member("colour", c.name)
          .Member("width", c.width)
          .Member("radius", c.length)
          .Member("from", c.bearing)
          .Member("to", c.bearingTo);
      if (!c.outline.empty()) json.Member("outline", c.outline).Member("outlineWidth", c.outlineWidth);
      break;
    case S52Op::Leg:
      json.Member("style", S52LineStyleName(c.style))
          .Member("width", c.width)
          .Member("colour", c.name)
          .Member("bearing", c.bearing)
          .Member("length", c.length)
          .Member("unit", c.chartMetres ? "m" : "mm");
      break;
  }
  json.EndObject();
}

}  // namespace tarnwick
