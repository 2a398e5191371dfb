#pragma once
// `tarnwick run --demo [harbour|sail]`: the program on a data folder of its
// own, playing a bundled recording in a loop through the voyage data player,
// with the voyage's route among its documents and the bundled chart installed:
//   harbour  a voyage in through the entrance channel of Kaneohe Bay, Oahu,
//            over the bundled NOAA chart US5HA57M (own ship from our navigation
//            simulator, AIS traffic from our AIS target simulator);
//   sail     a real sail in the Finnish archipelago (no public chart there)
//            with traffic from our AIS target simulator.
// The page switches between the two while the program runs.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class CApplication;
class CHttpServer;

enum class DemoVoyage { Harbour, Sail };

// "harbour" or "sail" -> the voyage; empty for other words.
std::optional<DemoVoyage> DemoVoyageNamed(std::string_view name);

// The bundled demo files: ProgramFolder()/demo, holding "recording/" and the
// route document of the sail, "kaneohe/" with those of the harbour voyage, and
// "charts/" with the chart.
std::filesystem::path DemoShareFolder();

// Switches to the demo's own data folder, "tarnwick-ecs-demo" beside the
// default one ($XDG_DATA_HOME/tarnwick-ecs-demo), unless another folder was
// chosen (--data). Call before the application starts. Returns the folder.
std::filesystem::path SelectDemoDataFolder();

// Registers the demo's start-up and timer hooks: before the instruments load,
// a fresh copy of the bundled recording becomes the recordings folder (so
// nothing is recorded over, and purging never reaches the bundled files),
// live recording is off and AIS targets are shown; the route document is
// copied into the documents folder when it is not there yet; the bundled
// chart folder is the chart installation folder; playback starts with the
// first screen and starts again from the beginning at the end.
void RegisterDemo(CApplication& app, DemoVoyage voyage);

// POST /api/demo {"voyage":"harbour"|"sail"}: plays the other voyage from its
// beginning; answers the demo description, 400 for another voyage name.
void RegisterDemoRoutes(CHttpServer& http);

// The JSON object that tells the user interface which voyage plays, which of
// its parts are recorded and which simulated, and the voyages to choose from;
// empty when the program is not running the demo.
std::optional<std::string> DemoDescription();

}  // namespace tarnwick
