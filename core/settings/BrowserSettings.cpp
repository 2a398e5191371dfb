#include "core/settings/BrowserSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kBrowser_OrientChoices{{"horizontal", "horizontal"}};
const CChoiceDescriptor kBrowser_TextScaleChoices{{"1", "1"}};

CSetting Browser_HideInstruments(SettingKind::Boolean, "Browser_HideInstruments", "true");
CSetting Browser_HorizontalSplit(SettingKind::Text, "Browser_HorizontalSplit", "50%");
CSetting Browser_Orient(SettingKind::Choice, "Browser_Orient", "horizontal", &kBrowser_OrientChoices);
CSetting Browser_TextScale(SettingKind::Choice, "Browser_TextScale", "1", &kBrowser_TextScaleChoices);
CSetting Browser_VerticalSplit(SettingKind::Text, "Browser_VerticalSplit", "50%");
CSetting Browser_Width(SettingKind::Text, "Browser_Width", "425");

}  // namespace tarnwick::opt
