#include "core/settings/DefaultSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kDefault_BoundaryLineSizeChoices{{"1px", "1px"}};
const CChoiceDescriptor kDefault_HeadingLineSizeChoices{{"2px", "2px"}};
const CChoiceDescriptor kDefault_HeadingLineStyleChoices{{"solid", "solid"}};
const CChoiceDescriptor kDefault_SternLineSizeChoices{{"2px", "2px"}};
const CChoiceDescriptor kDefault_SternLineStyleChoices{{"dashed", "dashed"}};
const CChoiceDescriptor kDefault_TrackLineSizeChoices{{"2px", "2px"}};

CSetting Default_BoundaryLineColor(SettingKind::Colour, "Default_BoundaryLineColor", "red");
CSetting Default_BoundaryLineSize(SettingKind::Choice, "Default_BoundaryLineSize", "1px", &kDefault_BoundaryLineSizeChoices);
CSetting Default_HeadingLineColor(SettingKind::Colour, "Default_HeadingLineColor", "black");
CSetting Default_HeadingLineSize(SettingKind::Choice, "Default_HeadingLineSize", "2px", &kDefault_HeadingLineSizeChoices);
CSetting Default_HeadingLineStyle(SettingKind::Choice, "Default_HeadingLineStyle", "solid", &kDefault_HeadingLineStyleChoices);
CSetting Default_MarkBackgroundColor(SettingKind::Colour, "Default_MarkBackgroundColor", "rgba(255, 255, 0, 0.5)");
CSetting Default_MarkColorDusk(SettingKind::Colour, "Default_MarkColorDusk", "rgb(192, 192, 192)");
CSetting Default_MarkColorNight(SettingKind::Colour, "Default_MarkColorNight", "rgb(128, 128, 128)");
CSetting Default_MarkDescriptionFont(SettingKind::Font, "Default_MarkDescriptionFont", "8pt Verdana");
CSetting Default_MarkNameFont(SettingKind::Font, "Default_MarkNameFont", "8pt Verdana");
CSetting Default_MarkNameLine(SettingKind::Text, "Default_MarkNameLine", "");
CSetting Default_SternLineColor(SettingKind::Colour, "Default_SternLineColor", "black");
CSetting Default_SternLineSize(SettingKind::Choice, "Default_SternLineSize", "2px", &kDefault_SternLineSizeChoices);
CSetting Default_SternLineStyle(SettingKind::Choice, "Default_SternLineStyle", "dashed", &kDefault_SternLineStyleChoices);
CSetting Default_TrackLineColor(SettingKind::Colour, "Default_TrackLineColor", "red");
CSetting Default_TrackLineSize(SettingKind::Choice, "Default_TrackLineSize", "2px", &kDefault_TrackLineSizeChoices);

}  // namespace tarnwick::opt
