// The presentation library: module records, colour conversion, the vector
// language, look-up tables with their walk and table selection, the DAI
// conversion, and the archive the build makes from the IHO DAI file.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "charts/s52/S52ArchiveBuilder.h"
#include "charts/s52/S52Library.h"
#include "charts/tests/S52CraftedFeatures.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CCraftedSource;

// A module field line with its declared length.
std::string Field(const std::string& tag, const std::string& content) {
  char length[8];
  std::snprintf(length, sizeof length, "%5zu", content.size());
  return tag + length + content + "\r\n";
}

TEST(S52Module, FieldsAndDeclaredLengths) {
  const std::string text = "0001    500001\r\n" + Field("SYMB", "SY00001NIL") +
                           Field("SYMD", "TESTSYM1V00100001000200002000000000000") + "****    0\r\n" +
                           Field("COLS", "CS00002NILDAY\x1f") + "****    0\r\n";
  const S52ModuleParse parse = ParseS52Modules(text);
  EXPECT_EQ(parse.error, "");
  ASSERT_EQ(parse.modules.size(), 2u);
  EXPECT_EQ(parse.modules[0].Find("SYMD")->content.substr(0, 8), "TESTSYM1");
  EXPECT_EQ(parse.modules[1].fields.size(), 1u);

  const std::string damaged = "SYMB   99SY00001NIL\n****    0\n" + Field("COLS", "CS00002NILDAY");
  const S52ModuleParse bad = ParseS52Modules(damaged);
  EXPECT_NE(bad.error.find("declares"), std::string::npos);
  ASSERT_EQ(bad.modules.size(), 1u) << "the damaged module is left out, the next one kept";
  EXPECT_TRUE(bad.modules[0].Find("COLS"));
  EXPECT_EQ(SplitS52Units("a\x1f" "b\x1f").size(), 2u);
}

TEST(S52Colours, CieToSrgb) {
  struct Row {
    double x, y, L;
    S52Rgb rgb;
  };
  // The library's white point (0.28, 0.31) becomes D65 (0.3127, 0.3290): a
  // neutral grey whose linear value is L / 100 (0.8 → 1.055 × 0.8^(1/2.4) −
  // 0.055 = 0.906 → 231). The others by the same steps, with clamping.
  const Row rows[] = {
      {0.28, 0.31, 80, {231, 231, 231}},  // DEPDW
      {0.28, 0.31, 0, {0, 0, 0}},         // CHBLK
      {0.26, 0.29, 65, {198, 212, 231}},  // DEPMD
      {0.48, 0.30, 25, {246, 73, 86}},    // CHRED
      {0.31, 0.56, 60, {118, 230, 0}},    // CHGRN: blue below 0, clamped
      {0.21, 0.22, 45, {140, 179, 255}},  // DEPVS: blue above 1, clamped
      {0.30, 0.17, 20, {208, 55, 195}},   // CHMGD
      {0.30, 0.00, 20, {0, 0, 0}},        // no chromaticity y: black
  };
  for (const Row& row : rows)
    EXPECT_EQ(S52CieToRgb(row.x, row.y, row.L), row.rgb) << row.x << " " << row.y << " " << row.L;
}

TEST(S52Colours, TablesBySchemeName) {
  CS52ColourTables tables;
  std::string error;
  auto add = [&](const std::string& text) {
    return tables.AddModule(ParseS52Modules(text).modules.at(0), error);
  };
  ASSERT_TRUE(add(Field("COLS", "CS00002NILNIGHT\x1f") + Field("CCIE", "DEPDW0.28\x1f" "0.31\x1f" "80\x1fwhite\x1f") +
                  Field("CCIE", "CHBLK0.28\x1f" "0.31\x1f" "0\x1f" "black\x1f")));
  ASSERT_TRUE(add(Field("COLS", "CS00003NILDAY_BRIGHT\x1f") + Field("CCIE", "DEPDW0.28\x1f" "0.31\x1f" "10\x1f")));
  EXPECT_EQ(tables.Find(S52Scheme::Night, "DEPDW"), (S52Rgb{231, 231, 231}));
  EXPECT_FALSE(tables.Find(S52Scheme::Day, "DEPDW")) << "a table of another name is not a scheme";
  EXPECT_FALSE(tables.Find(S52Scheme::Night, "NODTA"));
  EXPECT_EQ(tables.Colours(S52Scheme::Night).front().token, "CHBLK") << "sorted by token";
  EXPECT_FALSE(add(Field("COLS", "CS00004NILDUSK\x1f") + Field("CCIE", "DEPDWx\x1f" "0.31\x1f" "80\x1f")));
}

S52Drawing DrawingOf(const std::string& vectors, std::vector<S52ColourRef> colours = {{'A', "CHBLK"}, {'B', "DEPDW"}}) {
  S52VectorModule module;
  module.name = "TEST0001";
  module.pivotX = 10;
  module.pivotY = 20;
  module.colours = std::move(colours);
  module.vectors = vectors;
  return S52VectorToDrawing(module);
}

TEST(S52VectorDrawing, CommandsToElements) {
  struct Row {
    const char* vectors;
    const char* elements;  // between the group's tags
  };
  const Row rows[] = {
      {"SPA;SW1;PU0,0;PD100,0;", "<line x1='0' y1='0' x2='100' y2='0' stroke='${CHBLK}' stroke-width='32'/>"},
      {"SPB;SW2;PU0,0;PD100,0;PD100,50;",
       "<path d='M0,0  L100,0 L100,50' fill='none' stroke='${DEPDW}' stroke-width='64'/>"},
      {"SPA;PU5,5;PD;", "<line x1='5' y1='5' x2='5' y2='5' stroke-linecap='round' stroke='${CHBLK}' stroke-width='32'/>"},
      {"SPA;SW1;PU50,60;CI15;", "<circle cx='50' cy='60' r='15' fill='none' stroke='${CHBLK}' stroke-width='32'/>"},
      {"SPB;ST0;PU0,0;PM0;PD10,0;PD10,10;PM2;FP;", "<path fill-rule='evenodd' d='M0,0  L10,0 L10,10 Z' fill='${DEPDW}' />"},
      {"SPB;ST2;PU0,0;PM0;PD10,0;PD10,10;PM2;FP;",
       "<path fill-rule='evenodd' d='M0,0  L10,0 L10,10 Z' fill='${DEPDW}' fill-transparency='0.50'/>"},
      {"SPA;PU7,8;PM0;CI15;PM2;FP;",
       "<path fill-rule='evenodd' d='M7,8  m-15,0 a15,15,0,1,0,30,0 a15,15,0,1,0,-30,0' fill='${CHBLK}' />"},
      {"SPA;SW1;PU0,0;PM0;PD10,0;PD10,10;PM1;PD20,20;PD20,30;PM2;EP;",
       "<path d='M0,0  L10,0 L10,10 Z M10,10  L20,20 L20,30 Z' fill='none' stroke='${CHBLK}' stroke-width='32'/>"},
      {"SPA;SW1;PU10,0;AA0,0,90;", "<path d='M10,0 A10,10,0,0,0,0,-10' fill='none' stroke='${CHBLK}' stroke-width='32'/>"},
      {"SPC;SW1;PU0,0;PD1,1;", "<line x1='0' y1='0' x2='1' y2='1' stroke='${CHMGD}' stroke-width='32'/>"},
  };
  for (const Row& row : rows) {
    const S52Drawing drawing = DrawingOf(row.vectors);
    EXPECT_EQ(drawing.text, std::string("<g transform='translate(-10,-20)'>") + row.elements + "</g>") << row.vectors;
    EXPECT_EQ(drawing.warning, "") << row.vectors;
  }
  EXPECT_NE(DrawingOf("SPA;XX12;PU0,0;PD1,1;").warning.find("XX12"), std::string::npos);
  EXPECT_NE(DrawingOf("SPA;PU1;").warning, "") << "a coordinate pair is needed";
  EXPECT_NE(DrawingOf("SPA;PU0,0;PD1;").warning, "");
  EXPECT_EQ(DrawingOf("SPA;PU1,2,180;PD3,4;").text, DrawingOf("SPA;PU1,2;PD3,4;").text) << "a left-over value";
}

TEST(S52VectorDrawing, SymbolCallsAndColours) {
  S52VectorModule dot;
  dot.name = "DOTSYM01";
  dot.colours = {{'A', "CHBLK"}};
  dot.vectors = "SPA;PU0,0;PD;";
  S52VectorModule line;
  line.kind = S52ModuleKind::LineStyle;
  line.name = "LINSTY01";
  line.vectors = "PU100,0;SCDOTSYM01,1;";
  const S52Drawing drawing = S52VectorToDrawing(line, [&](std::string_view name) {
    return name == "DOTSYM01" ? &dot : nullptr;
  });
  EXPECT_NE(drawing.text.find("<g transform='translate(100,0)'><g transform='translate(0,0)'><line"), std::string::npos)
      << drawing.text;
  EXPECT_NE(S52VectorToDrawing(line).warning.find("DOTSYM01"), std::string::npos);

  CS52ColourTables colours;
  std::string error;
  ASSERT_TRUE(colours.AddModule(
      ParseS52Modules(Field("COLS", "CS00002NILDUSK\x1f") + Field("CCIE", "DEPDW0.28\x1f" "0.31\x1f" "80\x1f"))
          .modules[0],
      error));
  EXPECT_EQ(S52ResolveColours("<path fill='${DEPDW}' fill-transparency='0.25'/><line stroke='${NOPE1}'/>", colours,
                              S52Scheme::Dusk),
            "<path fill='#e7e7e7' fill-opacity='0.75'/><line stroke='#ff00ff'/>");
}

TEST(S52Lookup, FieldsOfALine) {
  EXPECT_EQ(S52DisplayPriority("5"), 50);
  EXPECT_EQ(S52DisplayPriority("12"), 12);
  EXPECT_EQ(S52DisplayPriority("0"), 10);
  EXPECT_EQ(S52DisplayPriority(""), 10);
  CS52LookupTable table("psymreft.dic");
  table.AddText(
      "* comment\r\n\r\n"
      "\"BOYLAT\",\"BOYSHP2|\",\"TE('clr %4.1lf','VERCLR',3,1,2,'15110',1,0,CHBLK,11);CS(LIGHTS06)\", \"8\",\t\"S\","
      "\"MARINERS OTHER\",\"27010\"\r\n"
      "\"BOYLAT\",\"\",\"SY(BOYDEF03)\",\"\",\"O\",\"DISPLAYBASE\",\"27010\"\r\n"
      "BOYLAT no quote\r\n");
  ASSERT_EQ(table.Size(), 3u) << "comments and empty lines skipped, an unquoted line kept empty";
  const S52LookupEntry& entry = table.Entry(0);
  EXPECT_EQ(entry.conditions.size(), 1u);
  EXPECT_EQ(entry.conditions[0].attribute, "BOYSHP");
  EXPECT_EQ(entry.conditions[0].value, "2");
  EXPECT_EQ(entry.priority, 80);
  EXPECT_FALSE(entry.overRadar);
  EXPECT_EQ(entry.category, S52Category::MarinersOther);
  EXPECT_EQ(entry.viewingGroup, 27010);
  ASSERT_EQ(entry.program.steps.size(), 2u);
  EXPECT_EQ(entry.program.steps[0].args[0], "clr %4.1lf") << "quoted commas stay in their argument";
  EXPECT_EQ(entry.program.steps[1].procedure, 47);
  EXPECT_TRUE(entry.program.conditional);
  EXPECT_TRUE(table.Entry(1).overRadar);
  EXPECT_EQ(table.Entry(2).className, "");
}

TEST(S52Lookup, WalkWithAttributeConditions) {
  CS52LookupTable table("psymreft.dic");
  table.AddText(
      "\"######\",\"\",\"SY(QUESMRK1)\",\"5\",\"O\",\"STANDARD\",\"21010\"\n"
      "\"BOYLAT\",\"BOYSHP9|\",\"SY(DEFAULT1)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"BOYSHP2|CATLAM1|\",\"SY(BOYLAT13)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"BOYSHP2|\",\"SY(BOYCAN01)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"COLOUR3,4,3|\",\"SY(BOYLAT24)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"STATUS|\",\"SY(ANYSTAT1)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"\",\"SY(NOCOND01)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"BOYLAT\",\"BOYSHP4|\",\"SY(NEVER001)\",\"8\",\"O\",\"STANDARD\",\"27010\"\n"
      "\"DEPARE\",\"\",\"CS(DEPARE03)\",\"1\",\"S\",\"DISPLAYBASE\",\"13030\"\n"
      "\"DEPARE\",\"DRVAL1?|\",\"AC(NODTA)\",\"1\",\"S\",\"DISPLAYBASE\",\"13030\"\n");
  struct Row {
    const char* acronym;
    std::map<std::string, std::string> attributes;
    const char* instruction;
    bool classFound;
  };
  const Row rows[] = {
      {"BOYLAT", {{"BOYSHP", "2"}, {"CATLAM", "1"}}, "SY(BOYLAT13)", true},
      {"BOYLAT", {{"BOYSHP", "2"}, {"CATLAM", "2"}}, "SY(BOYCAN01)", true},
      {"BOYLAT", {{"BOYSHP", "9"}}, "SY(NOCOND01)", true},  // the default's own conditions are not tested
      {"BOYLAT", {{"COLOUR", "3,4,3"}}, "SY(BOYLAT24)", true},
      {"BOYLAT", {{"COLOUR", "3,4"}}, "SY(NOCOND01)", true},  // the whole value must equal
      {"BOYLAT", {{"STATUS", "8"}}, "SY(ANYSTAT1)", true},    // empty expected value: any value
      {"BOYLAT", {{"STATUS", ""}}, "SY(NOCOND01)", true},     // an empty value is no value
      {"DEPARE", {}, "AC(NODTA)", true},                      // "?" holds for an absent attribute
      {"DEPARE", {{"DRVAL1", ""}}, "AC(NODTA)", true},        // and for an empty one
      {"DEPARE", {{"DRVAL1", "5"}}, "CS(DEPARE03)", true},
      {"BOYCAR", {}, "SY(QUESMRK1)", false},                  // no entry: the table's first
  };
  CCraftedSource source;
  for (const Row& row : rows) {
    const auto& feature = source.Point(row.acronym, 0, 0, row.attributes);
    bool found = false;
    const S52LookupEntry* entry = table.Find(feature, &found);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->instruction, row.instruction) << row.acronym << " " << row.attributes.size();
    EXPECT_EQ(found, row.classFound);
  }
}

TEST(S52Instruction, ProcedureNumbers) {
  const std::pair<const char*, int> rows[] = {{"CLRLIN01", 0},  {"DATCVR02", 1},  {"DEPARE02", 2}, {"DEPCNT03", 4},
                                              {"RESTRNI1", 19}, {"TOPMARI1", 36}, {"DEPAREI1", 41}, {"OBSTRNI1", 43},
                                              {"LIGHTSI1", 47}, {"SOUNDG03", 48}, {"UNKNOWN1", -1}};
  for (const auto& [name, number] : rows) EXPECT_EQ(S52ProcedureNumber(name), number) << name;
  const S52Program program = CompileS52Instruction("SY(A);XY(B);LS(SOLD,1,CHBLK);TX('a;b',1)");
  EXPECT_EQ(program.steps.size(), 3u);
  EXPECT_NE(program.error.find("XY(B)"), std::string::npos);
  EXPECT_TRUE(program.steps[2].quotedFirst);
  EXPECT_EQ(program.steps[2].args[0], "a;b");
}

// A library of crafted tables, each marking its name in the instruction.
CS52Library MarkedLibrary() {
  CS52Library library;
  std::string error;
  for (const char* name : {"psymrefs.dic", "psymreft.dic", "lsymrefs.dic", "asymrefs.dic", "asymreft.dic",
                           "pienc24s.dic", "pienc24t.dic", "lienc24.dic", "aienc24s.dic"}) {
    std::string text = std::string("\"######\",\"\",\"SY(") + name + ")\",\"5\",\"O\",\"STANDARD\",\"21010\"\n";
    for (const char* cls : {"BOYLAT", "DEPARE", "COALNE"})
      text += std::string("\"") + cls + "\",\"\",\"TX('" + name + "')\",\"5\",\"O\",\"STANDARD\",\"1\"\n";
    if (std::string(name).find("ienc") != std::string::npos)
      text += std::string("\"bcnlat\",\"\",\"TX('") + name + "')\",\"5\",\"O\",\"STANDARD\",\"1\"\n";
    EXPECT_TRUE(library.AddEntry(std::string("tables/") + name, text, error));
  }
  library.Finish();
  return library;
}

TEST(S52Library, TableSelectionAndFallback) {
  const CS52Library library = MarkedLibrary();
  CCraftedSource source;
  const auto& buoy = source.Point("BOYLAT", 0, 0);
  const auto& area = source.Area("DEPARE", testing::Square(0, 0, 1, 1));
  const auto& line = source.Line("COALNE", {{0, 0}, {1, 1}});
  const auto& inlandBeacon = source.Point("bcnlat", 0, 0);
  const auto& unknown = source.Point("XXXXXX", 0, 0);
  struct Row {
    const IS52Feature* feature;
    bool inland, simplified, symbolized;
    const char* table;
  };
  const Row rows[] = {
      {&buoy, false, false, false, "psymreft.dic"},   {&buoy, false, true, false, "psymrefs.dic"},
      {&area, false, false, false, "asymrefs.dic"},   {&area, false, false, true, "asymreft.dic"},
      {&line, false, false, true, "lsymrefs.dic"},    {&inlandBeacon, true, true, false, "pienc24s.dic"},
      {&area, true, false, false, "aienc24s.dic"},    {&line, true, false, false, "lienc24.dic"},
      // A class the searched table lacks comes from the fallback table.
      {&inlandBeacon, false, true, false, "psymrefs.dic"},
      {&unknown, true, false, false, "pienc24t.dic"},
  };
  for (const Row& row : rows) {
    const S52LookupResult result =
        library.Lookup(*row.feature, library.SelectTables(row.inland, row.simplified, row.symbolized));
    ASSERT_TRUE(result.entry);
    EXPECT_EQ(result.table->Name(), row.table) << row.feature->Acronym() << row.inland << row.simplified;
  }
  // Swapping the boundaries setting swaps the area table without reloading.
  EXPECT_NE(library.SelectTables(false, false, true).areas, library.SelectTables(false, false, false).areas);
  EXPECT_EQ(CS52Library::TableTitle("asymreft.dic"), "SYMBOLIZED_BOUNDARIES");
}

TEST(S52Library, DaiConversionRoundTrip) {
  const std::string dai =
      "0001    500001\r\n" + Field("LBID", "LI00001REVIHO\x1f") + "****    0\r\n" +
      Field("COLS", "CS00002NILNIGHT\x1f") + Field("CCIE", "CHBLK0.28\x1f" "0.31\x1f" "0\x1f" "black\x1f") +
      "****    0\r\n" + Field("LUPT", "LU00005NILBOYLATP00008OPAPER_CHART\x1f") +
      Field("ATTC", "BOYSHP2\x1f" "CATLAM1\x1f") + Field("INST", "SY(BOYLAT13)\x1f") + Field("DISC", "STANDARD\x1f") +
      Field("LUCM", "27010\x1f") + "****    0\r\n" + Field("SYMB", "SY00009NIL") +
      Field("SYMD", "BOYLAT13V010330096000433004390072400663") + Field("SCRF", "ACHGRN") +
      Field("SVCT", "SPA;SW1;PU0,0;PD10,10;\x1f") + "****    0\r\n";
  const S52DaiConversion conversion = ConvertS52Dai(dai);
  ASSERT_EQ(conversion.error, "");
  std::set<std::string> names;
  for (const auto& entry : conversion.entries) names.insert(entry.name);
  EXPECT_EQ(names, (std::set<std::string>{"NIGHT.col", "BOYLAT13.sym", "psymreft.dic"}));
  for (const auto& entry : conversion.entries)
    if (entry.name == "psymreft.dic") {
      EXPECT_NE(entry.content.find("\"BOYLAT\",\"BOYSHP2|CATLAM1|\",\"SY(BOYLAT13)\",\"8\",\"O\",\"STANDARD\",\"27010\""),
                std::string::npos);
    }
  testing::CTempFolder folder;
  std::string error;
  ASSERT_TRUE(WriteS52Archive(folder / "S52PL.zip", conversion.entries, error)) << error;
  CS52Library library;
  ASSERT_TRUE(library.LoadArchive(folder / "S52PL.zip", error)) << error;
  ASSERT_TRUE(library.Symbol("BOYLAT13"));
  EXPECT_EQ(library.Symbol("BOYLAT13")->module.pivotX, 1033);
  EXPECT_TRUE(library.Colours().Find(S52Scheme::Night, "CHBLK"));
  EXPECT_EQ(library.Table("psymreft.dic")->Size(), 1u);

  EXPECT_FALSE(library.LoadArchive(folder / "missing.zip", error));
  testing::WriteFile(folder / "bad.zip", "not a zip");
  EXPECT_FALSE(library.LoadArchive(folder / "bad.zip", error));
  EXPECT_FALSE(library.Loaded());
}

// The archive the build makes from the IHO Presentation Library DAI file.
class S52RealLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    library_ = new CS52Library;
    ASSERT_TRUE(library_->LoadArchive(TW_S52_ARCHIVE, error)) << error;
  }
  static void TearDownTestSuite() { delete library_; }
  static CS52Library* library_;
};
CS52Library* S52RealLibrary::library_ = nullptr;

TEST_F(S52RealLibrary, ContentsAndColourSchemes) {
  EXPECT_EQ(library_->SymbolCount(), 533u) << "532 of the library and SENSORXX";
  EXPECT_EQ(library_->LineStyleCount(), 55u);
  EXPECT_EQ(library_->PatternCount(), 25u);
  EXPECT_TRUE(library_->QuestionMark());
  EXPECT_TRUE(library_->Symbol("SENSORXX"));
  for (auto scheme : {S52Scheme::Day, S52Scheme::Dusk, S52Scheme::Night})
    EXPECT_EQ(library_->Colours().Colours(scheme).size(), 67u);
  EXPECT_EQ(library_->Colours().Find(S52Scheme::Day, "DEPDW"), (S52Rgb{231, 231, 231}));
  // At night the tables turn over: black-named CHBLK is a dark grey (L 2.5), DEPDW black.
  EXPECT_EQ(library_->Colours().Find(S52Scheme::Night, "CHBLK"), (S52Rgb{44, 44, 44}));
  EXPECT_EQ(library_->Colours().Find(S52Scheme::Night, "DEPDW"), (S52Rgb{0, 0, 0}));
  size_t entries = 0;
  for (const char* name : {"psymrefs.dic", "psymreft.dic", "lsymrefs.dic", "asymrefs.dic", "asymreft.dic"})
    entries += library_->Table(name)->Size();
  EXPECT_EQ(entries, 1276u) << "every LUPT module of the DAI";
}

TEST_F(S52RealLibrary, EveryModuleDrawsAndEveryInstructionResolves) {
  const S52ModuleResolver resolver = [](std::string_view name) -> const S52VectorModule* {
    const auto* symbol = library_->Symbol(name);
    return symbol ? &symbol->module : nullptr;
  };
  std::set<std::string> names;
  for (const auto& table : library_->Tables()) {
    for (size_t i = 0; i < table->Size(); ++i) {
      const S52LookupEntry& entry = table->Entry(i);
      EXPECT_EQ(entry.program.error, "") << table->Name() << " " << entry.instruction;
      for (const S52Instruction& step : entry.program.steps) {
        if (step.step == S52Step::Procedure) {
          EXPECT_GE(step.procedure, 0) << step.args[0];
        }
        const bool inland = table->Name().find("ienc") != std::string::npos;
        if (inland || step.args.empty()) continue;  // the inland symbols are not in the IHO library
        if (step.args[0] == "WIMCOM01") continue;   // a misspelling in the DAI (the symbol is WIMCON01)
        if (step.step == S52Step::Symbol) {
          EXPECT_TRUE(library_->Symbol(step.args[0])) << step.args[0];
        }
        if (step.step == S52Step::ComplexLine) {
          EXPECT_TRUE(library_->LineStyle(step.args[0])) << step.args[0];
        }
        if (step.step == S52Step::AreaPattern) {
          EXPECT_TRUE(library_->Pattern(step.args[0])) << step.args[0];
        }
      }
    }
  }
  // Every module's vectors read without a skipped command, in colours the tables define.
  const std::regex placeholder(R"(\$\{([A-Z0-9]{5})\})");
  for (const S52LibraryModule* module : library_->Modules()) {
    EXPECT_EQ(S52VectorToDrawing(module->module, resolver).warning, "") << module->module.name;
    for (std::sregex_iterator it(module->drawing.begin(), module->drawing.end(), placeholder), end; it != end; ++it)
      EXPECT_TRUE(library_->Colours().Find(S52Scheme::Day, (*it)[1].str())) << module->module.name << " " << (*it)[1];
  }
}

}  // namespace
}  // namespace tarnwick
