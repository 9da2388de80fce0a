#include "windows/common/system_message.h"

#include "base/text.h"
#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

std::string systemMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message = length > 0 ? fromWide(text, length) : std::u16string();
    LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : utf16ToUtf8(message);
}

}  // namespace veltrane::platform::win32
