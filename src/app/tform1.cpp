#include "app/tform1.h"

namespace veltrane::app {

TForm1::TForm1(platform::Platform& platform)
    : platform_(platform),
      store_(platform.registry),
      log_(store_, platform),
      defaultPrinter_(platform.printers),
      journal_(platform.registry, platform.instances) {}

bool TForm1::settingToBool(std::u16string_view text) {
    return settings::settingToBool(text, platform_.locale.decimalSeparator());
}

}  // namespace veltrane::app
