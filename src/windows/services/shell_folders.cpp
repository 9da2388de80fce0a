#include "windows/services/shell_folders.h"

#include <shlobj.h>

#include "windows/common/wide_text.h"

namespace veltrane::platform::win32 {

std::u16string ShellFolders::folderPath(int folder) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    std::u16string path = fromWide(buffer);
    // A drive root comes back as "C:\"; every other folder without the delimiter.
    while (path.size() > 3 && path.back() == u'\\') path.pop_back();
    return path;
}

}  // namespace veltrane::platform::win32
