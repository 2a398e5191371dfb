#include "charts/s57/SencQuadtree.h"

namespace tarnwick {
namespace {

// The four quadrants of box, in the order north-west, north-east, south-west,
// south-east.
std::array<ProjectedBox, 4> Quadrants(const ProjectedBox& box) {
  const double mx = box.west + (box.east - box.west) / 2.0;
  const double my = box.south + (box.north - box.south) / 2.0;
  return {ProjectedBox{box.north, box.west, my, mx}, ProjectedBox{box.north, mx, my, box.east},
          ProjectedBox{my, box.west, box.south, mx}, ProjectedBox{my, mx, box.south, box.east}};
}

bool Inside(const ProjectedBox& feature, const ProjectedBox& quadrant) {
  return feature.west >= quadrant.west && feature.east < quadrant.east &&
         feature.south >= quadrant.south && feature.north < quadrant.north;
}

// Splits nodes[at] and its kept quadrants, appending them in pre-order.
void Split(std::vector<SencNode>& nodes, size_t at, const std::vector<ProjectedBox>& boxes,
           int depth) {
  if (depth >= kMaxQuadtreeDepth || nodes[at].features.size() < 2) return;
  const std::array<ProjectedBox, 4> quadrants = Quadrants(nodes[at].box);
  std::array<std::vector<uint32_t>, 4> moved;
  std::vector<uint32_t> kept;
  for (uint32_t feature : nodes[at].features) {
    int target = -1;
    for (int q = 0; q < 4 && target < 0; ++q)
      if (Inside(boxes[feature], quadrants[q])) target = q;
    (target < 0 ? kept : moved[target]).push_back(feature);
  }
  nodes[at].features = std::move(kept);
  for (int q = 0; q < 4; ++q) {
    if (moved[q].empty()) continue;
    const size_t child = nodes.size();
    nodes[at].children[q] = static_cast<int32_t>(child);
    nodes.push_back(SencNode{quadrants[q], {-1, -1, -1, -1}, std::move(moved[q])});
    Split(nodes, child, boxes, depth + 1);
  }
}

}  // namespace

std::vector<SencNode> BuildSencQuadtree(const std::vector<ProjectedBox>& boxes) {
  std::vector<SencNode> nodes(1);
  for (uint32_t i = 0; i < boxes.size(); ++i) {
    if (boxes[i].Empty()) continue;
    nodes[0].box.Add(boxes[i]);
    nodes[0].features.push_back(i);
  }
  Split(nodes, 0, boxes, 0);
  return nodes;
}

}  // namespace tarnwick
