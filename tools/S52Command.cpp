// `tarnwick s52`: the presentation library. Builds S52PL.zip from the IHO
// DAI file and the inland look-up tables, shows a symbol, line style or
// pattern as SVG, lists a colour table, sets the standard display, and prints
// the portrayal of every feature of a cell.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/Subcommand.h"
#include "charts/s52/S52ArchiveBuilder.h"
#include "charts/s52/S52ChartSource.h"
#include "charts/s52/S52Library.h"
#include "charts/s52/S52MarinerSettings.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencFolder.h"
#include "charts/s57/SencWriter.h"
#include "core/JsonWriter.h"
#include "core/Paths.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/SettingsRegistry.h"
#include "core/settings/S52Settings.h"

namespace tarnwick {

namespace {

constexpr const char* kUsage =
    "build --dai FILE [--inland DIR] --out FILE\n"
    "  symbol NAME [--scheme DAY|DUSK|NIGHT] [--svg] [--library FILE]\n"
    "  colours [--scheme DAY|DUSK|NIGHT] [--library FILE]\n"
    "  lookup CELL.000 [--library FILE]\n"
    "  standard-display\n"
    "  info [--library FILE]";

constexpr const char* kInlandTables[] = {"pienc24s.dic", "pienc24t.dic", "lienc24.dic", "aienc24s.dic"};
constexpr size_t kMaxInputBytes = 64u << 20;

int Fail(const std::string& message) {
  std::fprintf(stderr, "tarnwick s52: %s\n", message.c_str());
  return 1;
}

bool ReadFile(const std::filesystem::path& path, std::string& content, std::string& error) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "cannot read " + path.string() + ": " + ec.message();
    return false;
  }
  if (size > kMaxInputBytes) {
    error = path.string() + " is too large";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) {
    error = "cannot read " + path.string();
    return false;
  }
  content = text.str();
  return true;
}

bool LoadLibrary(CArguments& args, CS52Library& library, std::string& error) {
  const auto path = args.TakeOption("--library");
  const std::filesystem::path archive = path ? std::filesystem::path(*path) : ProgramFolder() / kS52ArchiveName;
  return library.LoadArchive(archive, error);
}

std::optional<S52Scheme> SchemeOption(CArguments& args, bool& bad) {
  bad = false;
  const auto text = args.TakeOption("--scheme");
  if (!text) return std::nullopt;
  auto scheme = ParseS52Scheme(*text);
  bad = !scheme;
  return scheme;
}

int Build(CArguments& args) {
  const auto dai = args.TakeOption("--dai");
  const auto inland = args.TakeOption("--inland");
  const auto out = args.TakeOption("--out");
  if (!dai || !out) return Fail("build needs --dai FILE and --out FILE");
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  std::string text, error;
  if (!ReadFile(*dai, text, error)) return Fail(error);
  S52DaiConversion conversion = ConvertS52Dai(text);
  if (!conversion.error.empty()) return Fail(*dai + ": " + conversion.error);
  if (conversion.colourTables == 0 || conversion.symbols == 0 || conversion.lookups == 0)
    return Fail(*dai + ": not a presentation library (no colour tables, symbols or look-up tables)");
  size_t inlandTables = 0;
  if (inland) {
    for (const char* name : kInlandTables) {
      std::string table;
      if (!ReadFile(std::filesystem::path(*inland) / name, table, error)) return Fail(error);
      conversion.entries.push_back({name, std::move(table)});
      ++inlandTables;
    }
  }
  if (!WriteS52Archive(*out, conversion.entries, error)) return Fail(error);
  // Read the archive back as the program will.
  CS52Library library;
  if (!library.LoadArchive(*out, error)) return Fail("the written archive does not load: " + error);
  std::string json;
  CJsonWriter writer(json);
  writer.BeginObject()
      .Member("file", *out)
      .Member("entries", static_cast<uint64_t>(conversion.entries.size()))
      .Member("symbols", static_cast<uint64_t>(library.SymbolCount()))
      .Member("lineStyles", static_cast<uint64_t>(library.LineStyleCount()))
      .Member("patterns", static_cast<uint64_t>(library.PatternCount()))
      .Member("colourTables", static_cast<uint64_t>(conversion.colourTables))
      .Member("lookupEntries", static_cast<uint64_t>(conversion.lookups))
      .Member("inlandTables", static_cast<uint64_t>(inlandTables))
      .EndObject();
  std::cout << json << "\n";
  return 0;
}

int Symbol(CArguments& args) {
  bool badScheme = false;
  const auto scheme = SchemeOption(args, badScheme);
  if (badScheme) return Fail("--scheme must be DAY, DUSK or NIGHT");
  const bool svg = args.TakeFlag("--svg");
  CS52Library library;
  std::string error;
  const bool loaded = LoadLibrary(args, library, error);
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 1) return Fail("symbol needs one NAME");
  if (!loaded) return Fail(error);
  const std::string& name = args[0];
  const S52LibraryModule* module = library.Symbol(name);
  if (!module) module = library.LineStyle(name);
  if (!module) module = library.Pattern(name);
  if (!module) return Fail("no symbol, line style or pattern named \"" + name + "\"");
  const S52ModuleResolver resolver = [&](std::string_view symbol) -> const S52VectorModule* {
    const auto* found = library.Symbol(symbol);
    return found ? &found->module : nullptr;
  };
  if (svg) {
    std::cout << S52ModuleToSvg(module->module, library.Colours(), scheme.value_or(S52Scheme::Day), resolver);
    return 0;
  }
  const S52VectorModule& m = module->module;
  std::string json;
  CJsonWriter writer(json);
  writer.BeginObject()
      .Member("name", m.name)
      .Member("kind", S52ModuleKindName(m.kind))
      .Member("description", m.exposition)
      .Key("pivot").BeginArray().Int(m.pivotX).Int(m.pivotY).EndArray()
      .Key("box").BeginArray().Int(m.boxX).Int(m.boxY).Int(m.boxWidth).Int(m.boxHeight).EndArray()
      .Key("colours").BeginObject();
  for (const auto& ref : m.colours) writer.Member(std::string(1, ref.pen), ref.token);
  writer.EndObject().Member("drawing", module->drawing).EndObject();
  std::cout << json << "\n";
  return 0;
}

int Colours(CArguments& args) {
  bool badScheme = false;
  const auto scheme = SchemeOption(args, badScheme);
  if (badScheme) return Fail("--scheme must be DAY, DUSK or NIGHT");
  CS52Library library;
  std::string error;
  const bool loaded = LoadLibrary(args, library, error);
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 0) return Fail("colours takes no arguments");
  if (!loaded) return Fail(error);
  const S52Scheme chosen = scheme.value_or(S52Scheme::Day);
  for (const S52Colour& colour : library.Colours().Colours(chosen)) {
    std::string json;
    CJsonWriter writer(json);
    writer.BeginObject()
        .Member("scheme", S52SchemeName(chosen))
        .Member("token", colour.token)
        .Member("name", colour.name)
        .Member("x", colour.x)
        .Member("y", colour.y)
        .Member("L", colour.luminance)
        .Member("rgb", S52RgbHex(colour.rgb))
        .EndObject();
    std::cout << json << "\n";
  }
  return 0;
}

int StandardDisplay(CArguments& args) {
  if (args.Size() != 0) return Fail("standard-display takes no arguments");
  CRegistryFile registry(CRegistryFile::DefaultPath());
  if (!LoadProgramSettings(registry)) return Fail("cannot open storage.db; nothing was changed");
  const bool ok = SetS52StandardDisplay();
  CSettingsRegistry::Instance().SaveAll();
  for (const CSetting* setting : AllSettings()) {
    if (!StartsWithIgnoreCase(setting->Name(), "S52_Show") && !StartsWithIgnoreCase(setting->Name(), "S52_High") &&
        !StartsWithIgnoreCase(setting->Name(), "S52_Hilight") && setting != &opt::S52_UseScaMin &&
        setting != &opt::S52_DepthShades && setting != &opt::S52_Symbols && setting != &opt::S52_Boundaries)
      continue;
    std::string json;
    CJsonWriter(json).BeginObject().Member("name", setting->Name()).Member("value", setting->Text()).EndObject();
    std::cout << json << "\n";
  }
  if (!ok) return Fail("some settings are locked by the fleet settings and kept their values");
  return 0;
}

// The display priority as the look-up tables write it (1..9); raised or
// unusual values as they are.
int TablePriority(int priority) { return priority % 10 == 0 && priority <= 90 ? priority / 10 : priority; }

int Lookup(CArguments& args) {
  CS52Library library;
  std::string error;
  const bool loaded = LoadLibrary(args, library, error);
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (args.Size() != 1) return Fail("lookup needs one CELL.000");
  if (!loaded) return Fail(error);
  // The navigator's settings as stored; their defaults when there is no store.
  CRegistryFile registry(CRegistryFile::DefaultPath());
  LoadProgramSettings(registry);
  CS57ChartReader reader(DefaultSencFolder());
  reader.SetUserMessage([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  const auto cell = reader.Compile(args[0], true, error);
  if (!cell) return Fail(error);
  const auto chart = CS57Chart::FromBytes(SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree),
                                          args[0], error);
  if (!chart) return Fail(error);
  const CS52ChartSource source(*chart, S52IsInlandCell(*chart));
  CS52Portrayal portrayal(library);
  std::string out;
  for (const S57Feature& f : cell->features) {
    CJsonWriter json(out);
    json.BeginObject()
        .Member("agen", uint32_t{f.agen})
        .Member("fidn", f.fidn)
        .Member("fids", uint32_t{f.fids})
        .Member("acronym", ObjectClassAcronym(f.objl))
        .Member("prim", uint32_t{f.prim});
    const IS52Feature* feature = source.Feature(f.index);
    const auto portrayed = feature ? portrayal.Portray(*feature, source) : nullptr;
    if (!portrayed || !portrayed->entry) {
      // No geometry (nothing to draw), or no table for the primitive.
      json.Member("lookup", nullptr).Member("priority", nullptr).Member("category", nullptr);
      json.Member("group", nullptr).Key("commands").BeginArray().EndArray().EndObject();
    } else {
      json.Key("lookup")
          .BeginObject()
          .Member("table", portrayed->table)
          .Member("instruction", portrayed->entry->instruction)
          .EndObject()
          .Member("priority", TablePriority(portrayed->priority))
          .Member("category", S52CategoryName(portrayed->category))
          .Member("group", portrayed->viewingGroup)
          .Key("commands")
          .BeginArray();
      for (const S52DrawCommand& command : portrayed->commands) {
        out += out.back() == '[' ? "" : ",";
        AppendS52CommandJson(out, command);
      }
      out += "]}";
    }
    out += '\n';
    if (out.size() >= 64 * 1024) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Info(CArguments& args) {
  CS52Library library;
  std::string error;
  const bool loaded = LoadLibrary(args, library, error);
  if (auto unknown = args.UnknownOption()) return Fail("unknown option " + *unknown);
  if (!loaded) return Fail(error);
  std::string json;
  CJsonWriter writer(json);
  writer.BeginObject()
      .Member("symbols", static_cast<uint64_t>(library.SymbolCount()))
      .Member("lineStyles", static_cast<uint64_t>(library.LineStyleCount()))
      .Member("patterns", static_cast<uint64_t>(library.PatternCount()))
      .Key("colourTables").BeginObject();
  for (auto scheme : {S52Scheme::Day, S52Scheme::Dusk, S52Scheme::Night})
    writer.Member(S52SchemeName(scheme), static_cast<uint64_t>(library.Colours().Colours(scheme).size()));
  writer.EndObject().Key("tables").BeginObject();
  for (const auto& table : library.Tables()) writer.Member(table->Name(), static_cast<uint64_t>(table->Size()));
  writer.EndObject().EndObject();
  std::cout << json << "\n";
  return 0;
}

int Main(CArguments& args) {
  if (args.Size() == 0) return Fail(std::string("usage: tarnwick s52 ") + kUsage);
  const std::string action = args[0];
  std::vector<std::string> rest(args.Rest().begin() + 1, args.Rest().end());
  CArguments sub(std::move(rest));
  if (action == "build") return Build(sub);
  if (action == "symbol") return Symbol(sub);
  if (action == "colours" || action == "colors") return Colours(sub);
  if (action == "standard-display") return StandardDisplay(sub);
  if (action == "info") return Info(sub);
  if (action == "lookup") return Lookup(sub);
  return Fail("unknown action \"" + action + "\"");
}

const CSubcommand kS52("s52", kUsage,
                       "S-52 presentation library: build S52PL.zip, symbols as SVG, colour tables, "
                       "the standard display, the portrayal of a cell",
                       Main);

}  // namespace
}  // namespace tarnwick
