#pragma once
// The NMEA 0183 sentence decoder: one whole sentence at a time, on the thread
// of the port that received it.

#include <string_view>

#include "instruments/ReceiveTime.h"

namespace tarnwick {

class CNavSource;
class IAisSentenceSink;
class INmeaPortContext;
class INmeaRoutedSentences;
class ISensorRegistry;
struct NmeaFields;

// Where the decoder hands what it does not keep itself. A null member means
// "nobody listens": the sentence is checked and dropped.
struct NmeaDecoderHooks {
  IAisSentenceSink* ais = nullptr;         // VDM/VDO fragments
  ISensorRegistry* sensors = nullptr;      // sensor registration, heading correction
  INmeaRoutedSentences* routed = nullptr;  // DSC, safety messages, device sentences...
};

// Installs the process-wide hooks used by the three-argument DecodeNMEA.
// Call during start-up before ports run, and with empty hooks at shutdown.
void SetNmeaDecoderHooks(const NmeaDecoderHooks& hooks);
NmeaDecoderHooks GetNmeaDecoderHooks();

// Decodes one sentence (with or without CR LF, at most 1024 characters) into
// source. received: when its first character arrived. port: the receiving
// port, or nullptr for sentences that do not come from a port. Never throws;
// refusals are debug log lines.
void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port);
// The same with explicit hooks instead of the process-wide ones.
void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port, const NmeaDecoderHooks& hooks);
// The same, leaving the split sentence in fields (no fields when it was
// refused): for callers that report what was decoded, with fields reused
// from sentence to sentence.
void DecodeNMEA(CNavSource& source, const ReceiveTime& received, std::string_view sentence,
                INmeaPortContext* port, const NmeaDecoderHooks& hooks, NmeaFields& fields);

}  // namespace tarnwick
