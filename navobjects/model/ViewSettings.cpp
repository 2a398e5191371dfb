#include "navobjects/model/ViewSettings.h"

namespace tarnwick {

const CClassDescriptor& CViewSettings::Descriptor() {
  using T = PropertyType;
  using V = CViewSettings;
  static const CClassDescriptor descriptor(
      "ViewSettings", nullptr,
      {
          prop::Field<&V::position>("Position", T::Position),
          prop::Field<&V::scale>("Scale", T::Number, 0),
          prop::Field<&V::angle>("Angle", T::Number, 0),
          prop::Field<&V::quilting>("Quilting", T::Boolean, 1),
          prop::Field<&V::chartTransparency>("ChartTransparency", T::Boolean, 0),
          prop::Field<&V::showVectorCharts>("ShowVectorCharts", T::Boolean, 1),
          prop::Field<&V::showRasterCharts>("ShowRasterCharts", T::Boolean, 1),
          prop::Field<&V::showPhotoCharts>("ShowPhotoCharts", T::Boolean, 0),
          prop::Field<&V::showTopoMaps>("ShowTopoMaps", T::Boolean, 0),
          prop::Field<&V::hybridVector>("HybridVector", T::Boolean, 0),
          prop::Field<&V::tileSourceId>("TileSourceID", T::Text),
          prop::Field<&V::lastHybridTileSourceId>("LastHybridTileSourceID", T::Text),
          prop::Field<&V::curPhotoSource>("CurPhotoSource", T::Text),
          prop::Field<&V::curTopoSource>("CurTopoSource", T::Text),
      });
  return descriptor;
}

}  // namespace tarnwick
