#include "charts/s52/S52Instruction.h"

#include <utility>

namespace tarnwick {
namespace {

struct ProcedureName {
  const char* name;
  int number;
};

// Names resolve to the first row that lists them.
constexpr ProcedureName kProcedures[] = {
    {"CLRLIN01", 0},  {"DATCVR01", 1},  {"DATCVR02", 1},  {"DEPARE01", 2},  {"DEPARE02", 2},
    {"DEPCNT02", 3},  {"DEPCNT03", 4},  {"DEPVAL01", 5},  {"LEGLIN02", 6},  {"LEGLIN03", 7},
    {"LIGHTS04", 8},  {"LIGHTS05", 9},  {"LITDSN01", 10}, {"OBSTRN04", 11}, {"OWNSHP02", 12},
    {"PASTRK01", 13}, {"QUAPOS01", 14}, {"QUALIN01", 15}, {"QUAPNT01", 16}, {"SLCONS03", 17},
    {"RESARE02", 18}, {"RESARE03", 18}, {"RESTRN01", 19}, {"RESTRNI1", 19}, {"RESCSP01", 20},
    {"SEABED01", 21}, {"SOUNDG02", 22}, {"SNDFRM02", 23}, {"SYMINS01", 24}, {"TOPMAR01", 25},
    {"UDWHAZ03", 26}, {"VESSEL01", 27}, {"VESSEL02", 28}, {"VRMEBL01", 29}, {"WRECKS02", 30},
    {"WRECKS03", 31}, {"WRECKS04", 32}, {"DEPARE02", 33}, {"OBSTRN05", 34}, {"OBSTRN06", 35},
    {"TOPMARI1", 36}, {"DAYMAR01", 37}, {"RESAREI1", 38}, {"BRIDGEI1", 39}, {"NOTMRKI1", 40},
    {"DEPARE03", 41}, {"DEPAREI1", 41}, {"SYMINS02", 42}, {"OBSTRN07", 43}, {"OBSTRNI1", 43},
    {"RESARE04", 44}, {"SLCONS04", 45}, {"SLCONSI1", 45}, {"WRECKS05", 46}, {"LIGHTS06", 47},
    {"LIGHTSI1", 47}, {"SOUNDG03", 48},
};

struct StepName {
  const char* code;
  S52Step step;
};
constexpr StepName kSteps[] = {
    {"SY", S52Step::Symbol},     {"LS", S52Step::SimpleLine}, {"LC", S52Step::ComplexLine},
    {"AC", S52Step::AreaColour}, {"AP", S52Step::AreaPattern}, {"TX", S52Step::Text},
    {"TE", S52Step::FormattedText}, {"CS", S52Step::Procedure},
};

// Splits at separator outside single quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    else if (text[i] == separator && !quoted) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

int S52ProcedureNumber(std::string_view name) {
  for (const auto& entry : kProcedures)
    if (name == entry.name) return entry.number;
  return -1;
}

const char* S52ProcedureName(int number) {
  for (const auto& entry : kProcedures)
    if (entry.number == number) return entry.name;
  return "";
}

S52Program CompileS52Instruction(std::string_view text) {
  S52Program program;
  for (std::string_view element : SplitOutsideQuotes(text, ';')) {
    element = Trim(element);
    if (element.empty()) continue;
    const size_t open = element.find('(');
    const StepName* kind = nullptr;
    if (open == 2 && element.back() == ')') {
      for (const auto& candidate : kSteps)
        if (element.substr(0, 2) == candidate.code) kind = &candidate;
    }
    if (!kind) {
      if (program.error.empty()) program.error = "cannot read \"" + std::string(element) + "\"";
      continue;
    }
    S52Instruction instruction;
    instruction.step = kind->step;
    const std::string_view inside = element.substr(3, element.size() - 4);
    if (!Trim(inside).empty()) {
      for (std::string_view arg : SplitOutsideQuotes(inside, ',')) {
        arg = Trim(arg);
        if (arg.size() >= 2 && arg.front() == '\'' && arg.back() == '\'') {
          if (instruction.args.empty()) instruction.quotedFirst = true;
          arg = arg.substr(1, arg.size() - 2);
        }
        instruction.args.emplace_back(arg);
      }
    }
    if (instruction.step == S52Step::Procedure) {
      program.conditional = true;
      instruction.procedure = instruction.args.empty() ? -1 : S52ProcedureNumber(instruction.args[0]);
    }
    program.steps.push_back(std::move(instruction));
  }
  return program;
}

}  // namespace tarnwick
