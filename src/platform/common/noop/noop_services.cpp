#include "platform/common/noop/noop_services.h"

#include <cstdio>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::platform::noop {

void StderrDialogs::showMessage(const std::u16string& text, MessagePlacement) {
    std::fprintf(stderr, "%s\n", utf16ToUtf8(text).c_str());
}

void StderrDialogs::showError(const std::u16string& text) {
    std::fprintf(stderr, "Error: %s\n", utf16ToUtf8(text).c_str());
}

void NoClipboard::setText(const std::u16string&) {
    throw Error(formatMessage(messages::kCannotOpenClipboard, "no clipboard service is available"));
}

void NoBrowser::print(const PageSetupValues&, const std::u16string&) { throw Error("No page is loaded"); }

}  // namespace veltrane::platform::noop
