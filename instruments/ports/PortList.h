#pragma once
// The program-wide list of NMEA ports and its lock. The lock is held while a
// sentence is repeated to other ports and while the program writes its own
// sentences to talker ports, so a port can never leave the list half way
// through. Ports enter the list when they are built and leave it when they
// are destroyed.

#include <cstddef>
#include <mutex>
#include <string_view>
#include <vector>

namespace tarnwick {

class CNmeaPort;

class CPortList {
 public:
  // The program-wide lock (list, repeating, talker output, readers of the sources).
  std::mutex& Mutex() { return mutex_; }

  // Adds port and returns its number in the list (1, 2, ..., never reused in a run).
  unsigned Add(CNmeaPort* port);
  void Remove(CNmeaPort* port);

  // Writes sentence to every port except from that repeats; '!' sentences only
  // to ports that accept them. Returns the ports written to.
  size_t Repeat(const CNmeaPort& from, std::string_view sentence);
  // Writes one of the program's own sentences to every talker port; '!'
  // sentences only to ports that accept them. Returns the ports written to.
  size_t WriteToTalkers(std::string_view sentence);

 private:
  std::mutex mutex_;
  std::vector<CNmeaPort*> ports_;
  unsigned nextId_ = 1;
};

CPortList& PortList();

}  // namespace tarnwick
