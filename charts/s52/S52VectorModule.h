#pragma once
// Symbol, complex line-style and area-pattern modules of the presentation
// library: the name, the pivot and bounding box (in 0.01 mm, the library's
// vector units, y growing downwards), the colour references (a pen letter per
// colour token) and the vector commands (SVCT/LVCT/PVCT).

#include <string>
#include <vector>

#include "charts/s52/S52Module.h"

namespace tarnwick {

enum class S52ModuleKind { Symbol, LineStyle, Pattern };

// "symbol", "line style", "pattern".
const char* S52ModuleKindName(S52ModuleKind kind);

struct S52ColourRef {
  char pen = 0;        // the letter the vector commands select with SP
  std::string token;   // colour token, e.g. "CHBLK"
};

struct S52VectorModule {
  S52ModuleKind kind = S52ModuleKind::Symbol;
  std::string name;          // 8 characters, e.g. "BOYLAT13"
  bool raster = false;       // a bitmap symbol: no vector commands
  int pivotX = 0;            // the symbol's reference point
  int pivotY = 0;
  int boxWidth = 0;          // bounding box size
  int boxHeight = 0;
  int boxX = 0;              // bounding box upper-left corner
  int boxY = 0;
  // Patterns only: staggered ("STG") or linear ("LIN") fill, constant
  // ("CON") or scale-dependent ("SCL") spacing, and the minimum and maximum
  // distance between tiles.
  bool staggered = false;
  bool scaledSpacing = false;
  int minDistance = 0;
  int maxDistance = 0;
  std::string exposition;    // the library's description of the module
  std::vector<S52ColourRef> colours;
  std::string vectors;       // the vector commands of every vector field, concatenated

  // The colour token of a pen letter, or "" when the letter has none.
  const std::string& PenColour(char pen) const;
};

// Reads a SYMB, LNST or PATT module. False with error when the module is none
// of them or its definition field is malformed.
bool ParseS52VectorModule(const S52Module& module, S52VectorModule& out, std::string& error);

}  // namespace tarnwick
