#pragma once
// Editing the mark lists of routes and boundaries, with the refusals of
// duplicate membership.

#include <cstddef>
#include <memory>
#include <string>

#include "navobjects/model/Route.h"
#include "navobjects/model/Shapes.h"

namespace tarnwick {

inline constexpr const char* kDuplicateWaypointMessage =
    "A waypoint cannot be included in a route more than once.";
inline constexpr const char* kDuplicateBoundaryMarkMessage =
    "A mark cannot be included in a boundary more than once.";

struct EditResult {
  bool ok = false;
  std::string message;  // why it was refused; empty on success
};

// "Insert New Mark": inserts mark before index (0-based; size appends).
EditResult InsertRouteMark(CRoute& route, size_t index, std::shared_ptr<CMark> mark);
// "Add to End of <route>".
EditResult AddRouteMarkToEnd(CRoute& route, std::shared_ptr<CMark> mark);
// The menu label "Add to End of $1" for route.
std::string AddToEndLabel(const CRoute& route);
// "Remove From Route": removes the mark at index.
EditResult RemoveRouteMark(CRoute& route, size_t index);
// "Fork Route": a new route that shares route's marks up to and including
// index, to be continued on a new branch. Null when index is out of range.
std::shared_ptr<CRoute> ForkRoute(const CRoute& route, size_t index);
// Inserts mark into a boundary's outline before index (size appends).
EditResult InsertBoundaryMark(CBoundary& boundary, size_t index, std::shared_ptr<CMark> mark);

}  // namespace tarnwick
