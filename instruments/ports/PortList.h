#pragma once
// The program-wide list of NMEA ports and its lock. The lock is held while a
// sentence is repeated to other ports and while the program writes its own
// sentences to talker ports, so a port can never leave the list half way
// through. Ports enter the list when they are built and leave it when they
// are destroyed.
//
// Lock order of the instrument threads (outer first; never the other way):
//   port list -> a port's own lock (send buffer and status, in Write)
//   navigation data store -> a port's navigation source
//   navigation data store -> AIS receiver (our transponder's own-ship report)
// A port thread releases the list lock before it decodes a sentence, so the
// decoder's locks (source; store, when it registers a sensor; receiver, for
// VDM/VDO) are never taken inside the list lock. The tick writes its talker
// sentences (simulator RMC, autopilot output) after releasing the store lock,
// and the AIS receiver writes to a port only through that port's own lock, so
// the list lock is never taken inside the store, source or receiver locks.
// Holding the list lock across decoding would also be free of cycles today,
// but any decoder path that answers on the talker ports would then deadlock
// on this (non-recursive) lock.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick {

class CNmeaPort;

class CPortList {
 public:
  // Adds port and returns its number in the list (1, 2, ..., never reused in a run).
  unsigned Add(CNmeaPort* port);
  void Remove(CNmeaPort* port);

  // Writes sentence to every port except from that repeats; '!' sentences only
  // to ports that accept them. Returns the ports written to.
  size_t Repeat(const CNmeaPort& from, std::string_view sentence);
  // Writes one of the program's own sentences to every talker port; '!'
  // sentences only to ports that accept them. Returns the ports written to.
  size_t WriteToTalkers(std::string_view sentence);
  // Writes sentence to the port numbered id, whatever its roles (an answer to
  // that port's device). Empty when there is no such port, else whether the
  // port took it.
  std::optional<bool> WriteToPort(unsigned id, std::string_view sentence);

 private:
  std::mutex mutex_;
  std::vector<CNmeaPort*> ports_;
  unsigned nextId_ = 1;
};

CPortList& PortList();

}  // namespace tarnwick
