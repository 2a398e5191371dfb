#include "charts/s52/S52VectorModule.h"

namespace tarnwick {

const char* S52ModuleKindName(S52ModuleKind kind) {
  switch (kind) {
    case S52ModuleKind::Symbol: return "symbol";
    case S52ModuleKind::LineStyle: return "line style";
    case S52ModuleKind::Pattern: return "pattern";
  }
  return "symbol";
}

const std::string& S52VectorModule::PenColour(char pen) const {
  static const std::string kNone;
  for (const auto& ref : colours)
    if (ref.pen == pen) return ref.token;
  return kNone;
}

namespace {

struct KindTags {
  const char* head;
  const char* definition;
  const char* exposition;
  const char* colourRef;
  const char* vector;
  size_t definitionLength;  // characters of the fixed-width definition
};

// Reads six 5-character integers (pivot, box size, box corner) from text at offset.
bool ReadGeometry(std::string_view text, size_t offset, S52VectorModule& out) {
  int values[6];
  for (int i = 0; i < 6; ++i) {
    values[i] = S52FixedInt(text.substr(offset + 5 * i, 5), INT32_MIN);
    if (values[i] == INT32_MIN) return false;
  }
  out.pivotX = values[0];
  out.pivotY = values[1];
  out.boxWidth = values[2];
  out.boxHeight = values[3];
  out.boxX = values[4];
  out.boxY = values[5];
  return true;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == kS52UnitTerminator || text.back() == ' '))
    text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool ParseS52VectorModule(const S52Module& module, S52VectorModule& out, std::string& error) {
  static const KindTags kSymbol{"SYMB", "SYMD", "SXPO", "SCRF", "SVCT", 39};
  static const KindTags kLine{"LNST", "LIND", "LXPO", "LCRF", "LVCT", 38};
  static const KindTags kPattern{"PATT", "PATD", "PXPO", "PCRF", "PVCT", 55};
  const KindTags* tags = nullptr;
  if (module.Find("SYMB")) {
    tags = &kSymbol;
    out.kind = S52ModuleKind::Symbol;
  } else if (module.Find("LNST")) {
    tags = &kLine;
    out.kind = S52ModuleKind::LineStyle;
  } else if (module.Find("PATT")) {
    tags = &kPattern;
    out.kind = S52ModuleKind::Pattern;
  } else {
    error = "not a symbol, line style or pattern module";
    return false;
  }
  const S52ModuleField* definition = module.Find(tags->definition);
  if (!definition || definition->content.size() < tags->definitionLength) {
    error = std::string(tags->definition) + " field missing or too short";
    return false;
  }
  const std::string_view d = definition->content;
  out.name = std::string(d.substr(0, 8));
  size_t geometryAt = 8;
  if (out.kind == S52ModuleKind::Symbol) {
    out.raster = d[8] == 'R';
    geometryAt = 9;
  } else if (out.kind == S52ModuleKind::Pattern) {
    out.raster = d[8] == 'R';
    out.staggered = d.substr(9, 3) == "STG";
    out.scaledSpacing = d.substr(12, 3) == "SCL";
    out.minDistance = S52FixedInt(d.substr(15, 5), INT32_MIN);
    out.maxDistance = S52FixedInt(d.substr(20, 5), INT32_MIN);
    if (out.minDistance == INT32_MIN || out.maxDistance == INT32_MIN) {
      error = out.name + ": bad pattern spacing";
      return false;
    }
    geometryAt = 25;
  }
  if (!ReadGeometry(d, geometryAt, out)) {
    error = out.name + ": bad pivot or bounding box";
    return false;
  }
  out.exposition.clear();
  out.colours.clear();
  out.vectors.clear();
  for (const auto& field : module.fields) {
    if (field.tag == tags->exposition) {
      out.exposition = Trimmed(field.content);
    } else if (field.tag == tags->colourRef) {
      const std::string refs = Trimmed(field.content);
      for (size_t i = 0; i + 6 <= refs.size(); i += 6) out.colours.push_back({refs[i], refs.substr(i + 1, 5)});
    } else if (field.tag == tags->vector) {
      out.vectors += Trimmed(field.content);
    }
  }
  return true;
}

}  // namespace tarnwick
