#pragma once
// What other equipment tells the navigator through the NMEA decoder: alarms
// (ALR, ALA) as they turn active, and NAVTEX messages. Each goes to the
// logbook and to the page (a notification with a link to its list); NAVTEX
// messages are also kept for the NAVTEX page.

namespace tarnwick {

class CApplication;

// Installs the decoder's routed-sentence handler from "Loading instruments"
// until "Exit_Ports".
void RegisterEquipmentMessages(CApplication& app);

}  // namespace tarnwick
