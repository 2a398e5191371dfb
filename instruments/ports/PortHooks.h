#pragma once
// What the ports hand to other parts of the program, installed at start-up by
// those parts (the voyage data recorder, the instrument data monitor, the
// sentence decoder) and by tools and tests. Every hook may be called from any
// port's thread; installing one is safe while ports run.

#include <functional>
#include <string>
#include <string_view>

#include "instruments/ReceiveTime.h"

namespace tarnwick {

class CNmeaPort;

struct DeliveredSentence {
  std::string_view port;      // the port's address
  std::string_view label;     // the port's label
  std::string_view sentence;  // as received, ending in CR LF
  ReceiveTime received;       // when its first character arrived
};

// Records received sentences (the voyage data recorder). The port calls it
// only when recording of that kind of sentence is on.
using SentenceRecorder = std::function<void(const DeliveredSentence&)>;
void SetSentenceRecorder(SentenceRecorder recorder);

// Shows one line of the instrument data monitor: "(%s) %s" for a sentence,
// "UNKNOWN:..." for unrecognised data, and the assembler's diagnostics.
enum class MonitorLineKind { Sentence, Unrecognised, Diagnostic };
struct MonitorLine {
  MonitorLineKind kind = MonitorLineKind::Sentence;
  std::string_view port;   // the port's address
  std::string_view label;  // the port's label
  std::string_view text;   // the line as shown, without line end
};
using DataMonitorSink = std::function<void(const MonitorLine&)>;
void SetDataMonitorSink(DataMonitorSink sink);

// Decodes one sentence of a listener port, after filtering and repeating.
using SentenceDecoder =
    std::function<void(CNmeaPort& port, const ReceiveTime& received, std::string_view sentence)>;
// Replaces the decoder; an empty function restores the standard NMEA 0183 decoder.
void SetSentenceDecoder(SentenceDecoder decoder);

// The program-wide sentence filter, applied after each port's own (CSentenceFilter text).
void SetProgramSentenceFilter(std::string_view text);

namespace ports_detail {
// The installed hooks, for the ports themselves.
void Record(const DeliveredSentence& sentence);
bool HasMonitor();
void Monitor(const MonitorLine& line);
void Decode(CNmeaPort& port, const ReceiveTime& received, std::string_view sentence);
bool ProgramFilterBlocks(std::string_view sentence);
}  // namespace ports_detail

}  // namespace tarnwick
