#include "navobjects/documents/RouteEditing.h"

#include <algorithm>

#include "core/Notifications.h"

namespace tarnwick {

EditResult InsertRouteMark(CRoute& route, size_t index, std::shared_ptr<CMark> mark) {
  if (mark == nullptr) return EditResult{false, "No mark to add."};
  if (route.Contains(*mark)) return EditResult{false, kDuplicateWaypointMessage};
  route.InsertMarkAt(std::min(index, route.Marks().size()), std::move(mark));
  return EditResult{true, {}};
}

EditResult AddRouteMarkToEnd(CRoute& route, std::shared_ptr<CMark> mark) {
  return InsertRouteMark(route, route.Marks().size(), std::move(mark));
}

std::string AddToEndLabel(const CRoute& route) {
  return ExpandMessage("Add to End of $1", {route.DisplayName()});
}

EditResult RemoveRouteMark(CRoute& route, size_t index) {
  if (index >= route.Marks().size()) return EditResult{false, "The route has no such waypoint."};
  route.RemoveMarkAt(index);
  return EditResult{true, {}};
}

std::shared_ptr<CRoute> ForkRoute(const CRoute& route, size_t index) {
  if (index >= route.Marks().size()) return nullptr;
  auto fork = std::make_shared<CRoute>();
  fork->name = route.name.empty() ? std::string() : route.name + " (fork)";
  fork->color = route.color;
  fork->activeColor = route.activeColor;
  fork->inactiveColor = route.inactiveColor;
  fork->waypointStyle = route.waypointStyle;
  for (size_t i = 0; i <= index; ++i) {
    fork->InsertMarkAt(i, route.Marks()[i]);
    if (i > 0) {
      const CRouteLeg& from = *route.Legs()[i - 1];
      CRouteLeg& to = *fork->MutableLegs()[i - 1];
      to.plannedSpeed = from.plannedSpeed;
      to.select = from.select;
      to.characteristic = from.characteristic;
      to.extension = from.extension;
      to.currentStation = from.currentStation;
      to.crossTrackLimit = from.crossTrackLimit;
    }
  }
  return fork;
}

EditResult InsertBoundaryMark(CBoundary& boundary, size_t index, std::shared_ptr<CMark> mark) {
  if (mark == nullptr) return EditResult{false, "No mark to add."};
  if (boundary.Contains(*mark)) return EditResult{false, kDuplicateBoundaryMarkMessage};
  auto& marks = boundary.MutableMarks();
  marks.insert(marks.begin() + static_cast<std::ptrdiff_t>(std::min(index, marks.size())),
               std::move(mark));
  return EditResult{true, {}};
}

}  // namespace tarnwick
