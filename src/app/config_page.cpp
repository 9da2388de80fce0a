// The "Config" page (log and SSL) and the automatic-load option of "Choose Imaging System".

#include "app/tform1.h"

namespace veltrane::app {

bool TForm1::loadFlag(TCheckBox& box, const std::u16string& value) {
    const bool checked = settingToBool(readSetting(value));
    if (checked == box.Checked) return false;
    box.Checked = checked;
    return true;
}

void TForm1::TabSheet2Show() {
    // A bad "logging_enabled" stops the show before the SSL box is loaded.
    if (loadFlag(CheckBoxLogging, u"logging_enabled")) CheckBoxLoggingClick();
    if (loadFlag(CheckBoxSSL, u"server_ssl")) CheckBoxSSLClick();
}

void TForm1::CheckBoxLoggingClick() {
    writeSetting(u"logging_enabled", settings::boolToSetting(CheckBoxLogging.Checked));
}

void TForm1::CheckBoxSSLClick() { writeSetting(u"server_ssl", settings::boolToSetting(CheckBoxSSL.Checked)); }

void TForm1::TabSheet19Show() {
    if (loadFlag(CheckBox_imaging_autoload, u"imaging_autoload")) CheckBox_imaging_autoloadClick();
}

void TForm1::CheckBox_imaging_autoloadClick() {
    writeSetting(u"imaging_autoload", settings::boolToSetting(CheckBox_imaging_autoload.Checked));
}

}  // namespace veltrane::app
