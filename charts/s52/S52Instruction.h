#pragma once
// Symbology instructions of the look-up tables ("SY(BOYLAT13);TX(OBJNAM,...)")
// compiled into steps, and the table of conditional symbology procedures: a
// CS(name) step carries the number of the procedure that name resolves to.

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class S52Step {
  Symbol,         // SY(name[,rotation])
  SimpleLine,     // LS(style,width,colour)
  ComplexLine,    // LC(name)
  AreaColour,     // AC(colour[,transparency])
  AreaPattern,    // AP(name[,rotation])
  Text,           // TX(string,hjust,vjust,space,chars,xoffs,yoffs,colour,group)
  FormattedText,  // TE(format,attributes,hjust,vjust,space,chars,xoffs,yoffs,colour,group)
  Procedure,      // CS(name)
};

struct S52Instruction {
  S52Step step = S52Step::Symbol;
  std::vector<std::string> args;  // single quotes removed
  int procedure = -1;             // Procedure: its number, -1 when the name is not in the table
  bool quotedFirst = false;       // the first argument was quoted (TX: a literal text, not an attribute)
};

struct S52Program {
  std::vector<S52Instruction> steps;
  bool conditional = false;       // holds a CS step
  std::string error;              // the first element that could not be read (left out)
};

// Compiles an instruction string. Elements are separated by ';' outside
// quotes; an element that is not NN(args) with a known NN is left out and
// named in error.
S52Program CompileS52Instruction(std::string_view text);

// Procedure numbers of the conditional symbology procedures (several names
// share one), and the inverse (the first name listed for a number).
int S52ProcedureNumber(std::string_view name);
const char* S52ProcedureName(int number);
inline constexpr int kS52ProcedureCount = 49;

}  // namespace tarnwick
