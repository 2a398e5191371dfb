#pragma once
// The recording subsystem's part in the program's life: the voyage data
// recorder takes the ports' sentences, old recordings are purged, the player
// feeds recordings back into the decoders, and the logbook writes its own
// entries and the track.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "recording/logbook/TrackRecorder.h"

namespace tarnwick {

class CApplication;
class VoyageDataPlayer;

// Registers the recording hooks into the application's stages.
void RegisterRecording(CApplication& app);

// Empty when the page or the command line may give setting the text value;
// else why not, for the user. The recordings folder (VDR_DataLog) must be
// new, empty or hold recordings already (CheckRecordingsFolderChoice).
std::string CheckRecordingSettingChange(std::string_view setting, std::string_view value);

// The program's player, while the program runs (else nullptr).
VoyageDataPlayer* ProgramPlayer();

// Where the track takes the own-ship state each second: installed by the
// navigation data store; returns empty while there is no store.
using OwnShipSampleSource = std::function<std::optional<OwnShipSample>()>;
void SetOwnShipSampleSource(OwnShipSampleSource source);

}  // namespace tarnwick
