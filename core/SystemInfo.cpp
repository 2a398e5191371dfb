#include "core/SystemInfo.h"

#include <sys/utsname.h>

#include <fstream>
#include <string>

#include "core/Log.h"

namespace tarnwick {

void LogSystemDescription() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, processor;
  while (std::getline(cpuinfo, line)) {
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
    std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    if (key == "processor") processor = value;
    if (key == "model name") Log("Processor %s: %s\n", processor.c_str(), value.c_str());
  }
  utsname name{};
  if (uname(&name) == 0) Log("Linux Version: %s %s %s\n", name.release, name.version, name.machine);
  if (sizeof(void*) == 8) Log("This is a 64-bit version of Linux.\n");
}

}  // namespace tarnwick
