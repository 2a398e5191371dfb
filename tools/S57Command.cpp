// `tarnwick s57`: an S-57 cell as the program reads it. `dump` prints one
// JSON line per feature after the updates (in record order, the geometry
// read back from the compiled SENC and inverse-projected to degrees); `info`
// prints the header values, the counts by primitive and the updates applied
// or refused.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/Subcommand.h"
#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencFolder.h"
#include "charts/s57/SencWriter.h"
#include "core/JsonWriter.h"
#include "core/Log.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

constexpr const char* kUsage = "dump CELL.000 [--no-updates]\n  info CELL.000";
constexpr size_t kOutputBlock = 64 * 1024;

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick s57: %s\n", message.c_str());
  return 1;
}

// A float header value as the double with its shortest decimal text (3.1, not
// 3.0999999046325684).
double FloatValue(float value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  double out = 0;
  std::from_chars(text, end, out);
  return out;
}

// Degrees to 1e-10 (about 10 micrometres): the round trip through the
// projection leaves noise in the last digits, nothing more.
double Rounded(double degrees) { return std::round(degrees * 1e10) / 1e10; }

void Flush(std::string& out) {
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

std::string AttributeKey(uint16_t code) {
  const std::string_view acronym = AttributeAcronym(code);
  return acronym.empty() ? std::to_string(code) : std::string(acronym);
}

// The compiled cell of the command's one argument, with the reader's texts
// for the navigator on standard error.
std::optional<S57CompiledCell> CompileArgument(CArguments& args, bool updates, std::string& error) {
  if (auto unknown = args.UnknownOption()) {
    error = "unknown option " + *unknown;
    return std::nullopt;
  }
  if (args.Size() != 1) {
    error = "expected one cell file";
    return std::nullopt;
  }
  CS57ChartReader reader(DefaultSencFolder());
  reader.SetUserMessage([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  return reader.Compile(args[0], updates, error);
}

void WriteFeature(std::string& out, const S57Feature& f, const std::optional<S57FeatureView>& view) {
  CJsonWriter json(out);
  json.BeginObject()
      .Member("agen", uint32_t{f.agen})
      .Member("fidn", f.fidn)
      .Member("fids", uint32_t{f.fids})
      .Member("rcid", f.rcid)
      .Member("objl", uint32_t{f.objl})
      .Member("acronym", ObjectClassAcronym(f.objl))
      .Member("prim", uint32_t{f.prim});
  json.Key("attributes").BeginObject();
  if (view) {
    for (uint32_t i = 0; i < view->AttributeCount(); ++i)
      json.Member(AttributeKey(view->AttributeCode(i)), view->AttributeValue(i));
  } else {
    for (size_t i = 0; i < f.attributes.size(); ++i)
      json.Member(AttributeKey(f.attributes[i].first), f.AttributeValue(i));
  }
  json.EndObject().Key("parts").BeginArray();
  if (view) {
    for (const S57PartView part : view->Parts()) {
      json.BeginObject()
          .Member("interior", part.Interior())
          .Member("quapos", uint32_t{part.Quapos()});
      json.Key("points").BeginArray();
      for (uint32_t i = 0; i < part.Count(); ++i) {
        const MercatorPoint p = part.Point(i);
        const auto geo = MercatorInverse(p.x, p.y);
        json.BeginArray();
        if (geo) {
          json.Double(Rounded(geo->lon)).Double(Rounded(geo->lat));
        } else {
          json.Null().Null();
        }
        json.EndArray();
      }
      json.EndArray();
      if (part.HasDepths()) {
        json.Key("depths").BeginArray();
        for (uint32_t i = 0; i < part.Count(); ++i) json.Double(part.Depth(i));
        json.EndArray();
      }
      json.EndObject();
    }
  }
  json.EndArray().EndObject();
  out += '\n';
}

int Dump(CArguments& args) {
  const bool noUpdates = args.TakeFlag("--no-updates");
  std::string error;
  const auto cell = CompileArgument(args, !noUpdates, error);
  if (!cell) return Fail(error);
  // Through the SENC form, so that what is printed is what the chart shows.
  auto chart = CS57Chart::FromBytes(
      SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree), args[0], error);
  if (!chart) return Fail(error);
  std::string out;
  for (const S57Feature& f : cell->features) {
    WriteFeature(out, f, chart->Feature(f.index));
    if (out.size() >= kOutputBlock) Flush(out);
  }
  Flush(out);
  return 0;
}

int Info(CArguments& args) {
  std::string error;
  const auto cell = CompileArgument(args, true, error);
  if (!cell) return Fail(error);
  const S57CellHeader& h = cell->header;
  size_t byPrim[4] = {0, 0, 0, 0};  // none, point, line, area
  size_t withoutGeometry = 0;
  for (const S57Feature& f : cell->features) {
    ++byPrim[f.prim <= 3 ? f.prim : 0];
    if (f.box.Empty()) ++withoutGeometry;
  }
  std::string out;
  CJsonWriter json(out);
  const auto agency = S57Catalogue().AgencyName(static_cast<uint16_t>(h.agen));
  const auto datum = AttributeValueMeaning(185, static_cast<int>(h.sdat));
  json.BeginObject()
      .Member("file", args[0])
      .Member("dsnm", h.dsnm)
      .Member("edition", h.edtn)
      .Member("update", h.updn)
      .Member("updateApplicationDate", h.uadt)
      .Member("issueDate", h.isdt)
      .Member("intu", h.intu)
      .Member("intendedUsage", IntendedUsageText(h.intu))
      .Member("agen", h.agen)
      .Member("agency", agency ? *agency : std::string_view())
      .Member("prsp", h.prsp)
      .Member("pred", FloatValue(h.pred))
      .Member("sted", FloatValue(h.sted))
      .Member("cscl", h.cscl)
      .Member("comf", h.comf)
      .Member("somf", h.somf)
      .Member("hdat", h.hdat)
      .Member("vdat", h.vdat)
      .Member("sdat", h.sdat)
      .Member("soundingDatum", datum ? *datum : std::string_view());
  json.Key("records")
      .BeginObject()
      .Member("features", uint64_t{cell->records.features})
      .Member("isolatedNodes", uint64_t{cell->records.isolatedNodes})
      .Member("connectedNodes", uint64_t{cell->records.connectedNodes})
      .Member("edges", uint64_t{cell->records.edges})
      .EndObject();
  json.Key("features")
      .BeginObject()
      .Member("point", uint64_t{byPrim[1]})
      .Member("line", uint64_t{byPrim[2]})
      .Member("area", uint64_t{byPrim[3]})
      .Member("none", uint64_t{byPrim[0]})
      .Member("withoutGeometry", uint64_t{withoutGeometry})
      .EndObject();
  json.Key("updatesApplied").BeginArray();
  for (const auto& update : cell->updatesApplied) json.String(update.filename().string());
  json.EndArray();
  if (cell->failedUpdate) {
    json.Key("updateFailed")
        .BeginObject()
        .Member("file", cell->failedUpdate->filename().string())
        .Member("reason", cell->failedUpdateError)
        .EndObject();
  }
  json.EndObject();
  out += '\n';
  Flush(out);
  return 0;
}

int Main(CArguments& args) {
  SetLogEcho(DebugLogging());
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick s57 ") + kUsage);
  const std::string action = args[0];
  CArguments sub(std::vector<std::string>(args.Rest().begin() + 1, args.Rest().end()));
  if (action == "dump") return Dump(sub);
  if (action == "info") return Info(sub);
  return Fail("unknown action \"" + action + "\" (dump or info)");
}

const CSubcommand kS57("s57", kUsage, "S-57 cells: features after updates as JSON lines, header and update report",
                       Main);

}  // namespace
}  // namespace tarnwick
