#include "core/settings/DefaultSettings.h"

namespace tarnwick::opt {

// Line widths and styles the chart view draws own-ship lines, tracks and
// boundaries with.
const CChoiceDescriptor kLineSizeChoices{{"1px", "1 pixel"},
                                         {"2px", "2 pixels"},
                                         {"3px", "3 pixels"},
                                         {"4px", "4 pixels"},
                                         {"5px", "5 pixels"}};
const CChoiceDescriptor kLineStyleChoices{
    {"solid", "Solid"}, {"dotted", "Dotted"}, {"dashed", "Dashed"}};

CSetting Default_BoundaryLineColor(SettingKind::Colour, "Default_BoundaryLineColor", "red");
CSetting Default_BoundaryLineSize(SettingKind::Choice, "Default_BoundaryLineSize", "1px",
                                  &kLineSizeChoices);
CSetting Default_HeadingLineColor(SettingKind::Colour, "Default_HeadingLineColor", "black");
CSetting Default_HeadingLineSize(SettingKind::Choice, "Default_HeadingLineSize", "2px",
                                 &kLineSizeChoices);
CSetting Default_HeadingLineStyle(SettingKind::Choice, "Default_HeadingLineStyle", "solid",
                                  &kLineStyleChoices);
CSetting Default_MarkBackgroundColor(SettingKind::Colour, "Default_MarkBackgroundColor",
                                     "rgba(255, 255, 0, 0.5)");
CSetting Default_MarkColorDusk(SettingKind::Colour, "Default_MarkColorDusk", "rgb(192, 192, 192)");
CSetting Default_MarkColorNight(SettingKind::Colour, "Default_MarkColorNight",
                                "rgb(128, 128, 128)");
CSetting Default_MarkDescriptionFont(SettingKind::Font, "Default_MarkDescriptionFont",
                                     "8pt Verdana");
CSetting Default_MarkNameFont(SettingKind::Font, "Default_MarkNameFont", "8pt Verdana");
CSetting Default_MarkNameLine(SettingKind::Text, "Default_MarkNameLine", "");
CSetting Default_SternLineColor(SettingKind::Colour, "Default_SternLineColor", "black");
CSetting Default_SternLineSize(SettingKind::Choice, "Default_SternLineSize", "2px",
                               &kLineSizeChoices);
CSetting Default_SternLineStyle(SettingKind::Choice, "Default_SternLineStyle", "dashed",
                                &kLineStyleChoices);
CSetting Default_TrackLineColor(SettingKind::Colour, "Default_TrackLineColor", "red");
CSetting Default_TrackLineSize(SettingKind::Choice, "Default_TrackLineSize", "2px",
                               &kLineSizeChoices);

}  // namespace tarnwick::opt
