#pragma once
// The parent of every navigation object a layer holds, and the interface
// through which object commands reach the documents that own the objects.

#include <string>
#include <vector>

#include "navobjects/model/Selectable.h"

namespace tarnwick {

class CTrack;

// Command codes (type codes 256 and above).
inline constexpr int kCmdDelete = 256;
inline constexpr int kCmdActivate = 257;
inline constexpr int kCmdDeactivate = 258;
inline constexpr int kCmdConvertToRoute = 259;
inline constexpr int kCmdStartNewTrack = 260;

// What object commands act on: the documents, the active-route navigator.
class INavCommandHost {
 public:
  virtual ~INavCommandHost() = default;
  virtual bool DeleteObject(CSelectable& object) = 0;
  virtual bool ActivateObject(CSelectable& object) = 0;
  virtual bool DeactivateObject(CSelectable& object) = 0;
  virtual bool ConvertTrackToRoute(CTrack& track) = 0;
  virtual bool StartNewTrack(CTrack& track) = 0;
};

class CNavObject : public CSelectable {
 public:
  static const CClassDescriptor& Descriptor();

  // The name, or "(no name)" when it is empty.
  std::string DisplayName() const;

  std::string name;
  std::string description;
  bool hidden = false;
  bool lockPosition = false;
  std::vector<std::string> attach;  // attached file names

 protected:
  explicit CNavObject(const CClassDescriptor& descriptor) : CSelectable(descriptor) {}
};

// Command handlers shared by the class tables.
bool RunDeleteCommand(CSelectable& object, INavCommandHost& host);
bool RunActivateCommand(CSelectable& object, INavCommandHost& host);
bool RunDeactivateCommand(CSelectable& object, INavCommandHost& host);

}  // namespace tarnwick
