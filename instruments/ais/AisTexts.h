#pragma once
// Display texts of AIS codes.

#include <string>

namespace tarnwick {

// The ship-type text of an AIS ship and cargo type (0..255).
std::string ShipTypeText(int shipType);

// The navigational-status text of status 0..14; empty for 15 (not defined)
// and values outside the table.
const char* NavStatusText(int navStatus);

}  // namespace tarnwick
