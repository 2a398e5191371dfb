#pragma once
// Start-up wiring of the presentation library: S52PL.zip is read from the
// program folder in the "Init_ENC" stage. A missing or damaged archive is
// logged and start-up goes on; vector charts then draw without symbology.

namespace tarnwick {

class CApplication;

void RegisterS52Library(CApplication& app);

}  // namespace tarnwick
