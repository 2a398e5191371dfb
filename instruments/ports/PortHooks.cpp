#include "instruments/ports/PortHooks.h"

#include <memory>
#include <mutex>

#include "instruments/nmea/DecodeNmea.h"
#include "instruments/ports/NmeaPort.h"
#include "instruments/ports/SentenceFilter.h"

namespace tarnwick {
namespace {

// One installed hook: replaced under a lock, called through a shared copy so
// that a replacement never pulls a function from under a running call.
template <typename T>
class CHook {
 public:
  void Set(std::shared_ptr<const T> next) {
    std::lock_guard lock(mutex_);
    current_ = std::move(next);
  }
  std::shared_ptr<const T> Get() const {
    std::lock_guard lock(mutex_);
    return current_;
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const T> current_;
};

CHook<SentenceRecorder>& Recorder() {
  static CHook<SentenceRecorder> hook;
  return hook;
}
CHook<DataMonitorSink>& MonitorSink() {
  static CHook<DataMonitorSink> hook;
  return hook;
}
CHook<SentenceDecoder>& Decoder() {
  static CHook<SentenceDecoder> hook;
  return hook;
}
CHook<CSentenceFilter>& ProgramFilter() {
  static CHook<CSentenceFilter> hook;
  return hook;
}

template <typename F>
std::shared_ptr<const F> Share(F function) {
  return function ? std::make_shared<const F>(std::move(function)) : nullptr;
}

}  // namespace

void SetSentenceRecorder(SentenceRecorder recorder) {
  Recorder().Set(Share(std::move(recorder)));
}
void SetDataMonitorSink(DataMonitorSink sink) {
  MonitorSink().Set(Share(std::move(sink)));
}
void SetSentenceDecoder(SentenceDecoder decoder) {
  Decoder().Set(Share(std::move(decoder)));
}

void SetProgramSentenceFilter(std::string_view text) {
  auto filter = std::make_shared<const CSentenceFilter>(text);
  ProgramFilter().Set(filter->Empty() ? nullptr : std::move(filter));
}

namespace ports_detail {

void Record(const DeliveredSentence& sentence) {
  if (auto recorder = Recorder().Get()) (*recorder)(sentence);
}

bool HasMonitor() {
  return MonitorSink().Get() != nullptr;
}

void Monitor(const MonitorLine& line) {
  if (auto sink = MonitorSink().Get()) (*sink)(line);
}

void Decode(CNmeaPort& port, const ReceiveTime& received, std::string_view sentence) {
  if (auto decoder = Decoder().Get())
    (*decoder)(port, received, sentence);
  else
    DecodeNMEA(port.NavSource(), received, sentence, &port);
}

bool ProgramFilterBlocks(std::string_view sentence) {
  auto filter = ProgramFilter().Get();
  return filter && filter->Blocks(sentence);
}

}  // namespace ports_detail
}  // namespace tarnwick
