#pragma once
// The clipboard: OpenClipboard, EmptyClipboard, SetClipboardData(CF_UNICODETEXT), CloseClipboard. The system
// keeps the text after the program exits, so no helper process is needed. The text goes with the registered
// formats that keep it out of the clipboard history, the cloud clipboard and clipboard monitors.

#include "platform/clipboard.h"

namespace veltrane::platform::win32 {

class Win32Clipboard final : public Clipboard {
public:
    // Throws "Cannot open clipboard: <reason>" when another program keeps the clipboard open or the text cannot
    // be placed on it.
    void setText(const std::u16string& text) override;
};

}  // namespace veltrane::platform::win32
