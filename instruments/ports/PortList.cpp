#include "instruments/ports/PortList.h"

#include <algorithm>

#include "instruments/ports/NmeaPort.h"

namespace tarnwick {

unsigned CPortList::Add(CNmeaPort* port) {
  std::lock_guard lock(mutex_);
  ports_.push_back(port);
  return nextId_++;
}

void CPortList::Remove(CNmeaPort* port) {
  std::lock_guard lock(mutex_);
  std::erase(ports_, port);
}

size_t CPortList::Repeat(const CNmeaPort& from, std::string_view sentence) {
  const bool encapsulated = !sentence.empty() && sentence.front() == '!';
  size_t written = 0;
  std::lock_guard lock(mutex_);
  for (CNmeaPort* port : ports_) {
    if (port == &from || !port->Settings().repeater) continue;
    if (encapsulated && !port->AcceptsEncapsulated()) continue;
    if (port->Write(sentence)) ++written;
  }
  return written;
}

size_t CPortList::WriteToTalkers(std::string_view sentence) {
  const bool encapsulated = !sentence.empty() && sentence.front() == '!';
  size_t written = 0;
  std::lock_guard lock(mutex_);
  for (CNmeaPort* port : ports_) {
    if (!port->Settings().talker) continue;
    if (encapsulated && !port->AcceptsEncapsulated()) continue;
    if (port->Write(sentence)) ++written;
  }
  return written;
}

std::optional<bool> CPortList::WriteToPort(unsigned id, std::string_view sentence) {
  std::lock_guard lock(mutex_);
  for (CNmeaPort* port : ports_)
    if (port->PortId() == id) return port->Write(sentence);
  return std::nullopt;
}

CPortList& PortList() {
  static CPortList list;
  return list;
}

}  // namespace tarnwick
