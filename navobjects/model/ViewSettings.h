#pragma once
// A saved chart view: centre, scale, rotation and which chart kinds show.

#include <string>

#include "navobjects/model/Selectable.h"

namespace tarnwick {

class CViewSettings final : public CSelectable {
 public:
  // Embedded in a layer; carries no id of its own.
  CViewSettings() : CSelectable(Descriptor()) { SetId({}); }
  static const CClassDescriptor& Descriptor();
  // A view that was never saved has scale 0 and is not written.
  bool IsSaved() const { return scale > 0; }

  LatLon position;
  double scale = 0;  // chart scale denominator
  double angle = 0;  // degrees the chart is rotated
  bool quilting = true;
  bool chartTransparency = false;
  bool showVectorCharts = true;
  bool showRasterCharts = true;
  bool showPhotoCharts = false;
  bool showTopoMaps = false;
  bool hybridVector = false;
  std::string tileSourceId;
  std::string lastHybridTileSourceId;
  std::string curPhotoSource;
  std::string curTopoSource;
};

}  // namespace tarnwick
