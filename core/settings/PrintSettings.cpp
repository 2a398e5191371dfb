#include "core/settings/PrintSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kPrint_PrinterChoices{};

CSetting Print_Printer(SettingKind::Choice, "Print_Printer", "", &kPrint_PrinterChoices);

}  // namespace tarnwick::opt
