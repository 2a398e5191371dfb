#pragma once
// The spatial tree of a SENC: a quadtree over the features' boxes. The root's
// box is the union of the boxes of its features; a node is split into four
// quadrants at the midpoints of its box, and a feature moves into a quadrant
// when its box lies inside the quadrant's (lower bounds inclusive, upper
// bounds exclusive). Quadrants left without features are dropped; kept ones
// are split the same way. A node holding a single feature is not split, and
// no node lies deeper than kMaxQuadtreeDepth below the root (boxes of points
// that coincide would otherwise be split down to the resolution of doubles).

#include <array>
#include <cstdint>
#include <vector>

#include "charts/s57/S57Feature.h"

namespace tarnwick {

inline constexpr int kMaxQuadtreeDepth = 24;

struct SencNode {
  ProjectedBox box;
  std::array<int32_t, 4> children{-1, -1, -1, -1};  // node indices, -1 for none
  std::vector<uint32_t> features;                    // feature indices
};

// Nodes in pre-order, the root first (a root with an empty box and no
// features when no box is given). boxes[i] is the box of feature i; features
// with empty boxes are left out of the tree.
std::vector<SencNode> BuildSencQuadtree(const std::vector<ProjectedBox>& boxes);

}  // namespace tarnwick
