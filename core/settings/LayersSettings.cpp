#include "core/settings/LayersSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kLayers_DistanceMarkers_VisibleChoices{{"auto", "auto"}};
const CChoiceDescriptor kLayers_MMSLeaseBlocks_VisibleChoices{{"auto", "auto"}};

CSetting Layers_DistanceMarkers_Visible(SettingKind::Choice, "Layers_DistanceMarkers_Visible", "auto", &kLayers_DistanceMarkers_VisibleChoices);
CSetting Layers_MMSLeaseBlocks_Visible(SettingKind::Choice, "Layers_MMSLeaseBlocks_Visible", "auto", &kLayers_MMSLeaseBlocks_VisibleChoices);

}  // namespace tarnwick::opt
