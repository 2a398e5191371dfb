#pragma once
// `tarnwick run --demo`: the program on a data folder of its own, playing the
// bundled recording (a real sail with simulated AIS traffic) in a loop
// through the voyage data player, with the bundled route among its documents.

#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

class CApplication;

// The bundled demo files: ProgramFolder()/demo, holding "recording/" and the
// route document.
std::filesystem::path DemoShareFolder();

// Switches to the demo's own data folder, "tarnwick-ecs-demo" beside the
// default one ($XDG_DATA_HOME/tarnwick-ecs-demo), unless another folder was
// chosen (--data). Call before the application starts. Returns the folder.
std::filesystem::path SelectDemoDataFolder();

// Registers the demo's start-up and timer hooks: before the instruments load,
// a fresh copy of the bundled recording becomes the recordings folder (so
// nothing is recorded over, and purging never reaches the bundled files),
// live recording is off and AIS targets are shown; the route document is
// copied into the documents folder when it is not there yet; playback starts
// with the first screen and starts again from the beginning at the end.
void RegisterDemo(CApplication& app);

// The JSON object that tells the user interface which parts of the demo are
// recorded and which simulated; empty when the program is not running the demo.
std::optional<std::string> DemoDescription();

}  // namespace tarnwick
