// The built program's resources as Windows reads them: the version Explorer's properties and the installed
// programs list show, the icon Explorer, the taskbar and the Start menu draw, and the settings of its manifest.

// clang-format off
#include <windows.h>  // before the other Win32 headers, which need its types
#include <shellapi.h>
// clang-format on
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kProgram = VELTRANE_PROGRAM;

std::vector<unsigned char> versionBlock() {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(kProgram, &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoW(kProgram, 0, size, block.data())) block.clear();
    return block;
}

std::wstring versionString(std::vector<unsigned char>& block, const std::wstring& name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return L"";
    return std::wstring(text, length && text[length - 1] == 0 ? length - 1 : length);
}

TEST(ProgramResources, VersionStringsNameTheProductAndItsVersion) {
    std::vector<unsigned char> block = versionBlock();
    ASSERT_FALSE(block.empty()) << "the program has no version resource";
    const struct {
        const wchar_t* name;
        std::wstring expected;
    } cases[] = {
        {L"ProductName", L"Veltrane Client Tools"},     {L"CompanyName", L"Veltrane"},
        {L"FileDescription", L"Veltrane Client Tools"}, {L"FileVersion", VELTRANE_VERSION_TEXT},
        {L"ProductVersion", VELTRANE_VERSION_TEXT},     {L"OriginalFilename", L"veltrane-client-tools.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, versionString(block, c.name)) << c.name;
}

TEST(ProgramResources, FixedVersionIsTheProjectVersionOfAnApplication) {
    std::vector<unsigned char> block = versionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed);
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    const DWORD major = VELTRANE_VERSION_MAJOR, minor = VELTRANE_VERSION_MINOR;
    EXPECT_EQ(MAKELONG(minor, major), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(minor, major), fixed->dwProductVersionMS);
    // The translation the strings are filed under: U.S. English, Unicode.
    WORD* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1200, translation[1]);
}

// Explorer draws the file with its first icon, in the size each view asks for.
TEST(ProgramResources, IconLoadsInEverySizeWindowsAsksFor) {
    EXPECT_EQ(1u, ExtractIconExW(kProgram, -1, nullptr, nullptr, 0)) << "icons in the program";
    HICON large = nullptr, small = nullptr;
    ASSERT_EQ(2u, ExtractIconExW(kProgram, 0, &large, &small, 1));
    EXPECT_TRUE(large);
    EXPECT_TRUE(small);
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);

    HMODULE module = LoadLibraryExW(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(module);
    for (const int size : {16, 24, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        EXPECT_TRUE(icon) << size;
        ICONINFO info{};
        if (icon && GetIconInfo(icon, &info)) {
            BITMAP bitmap{};
            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
            EXPECT_EQ(size, bitmap.bmWidth) << "an image of its own, not a scaled one";
            // The design's colours: the icon is not a blank or the system's default.
            EXPECT_EQ(32, bitmap.bmBitsPixel) << size;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        if (icon) DestroyIcon(icon);
    }
    FreeLibrary(module);
}

// The loader reads the manifest's settings by namespace: a wrong one and Windows silently starts the program
// unaware, stretched and blurred at any scaling.
TEST(ProgramResources, ManifestDeclaresPerMonitorAwareness) {
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = kProgram;
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE activation = CreateActCtxW(&context);
    ASSERT_NE(INVALID_HANDLE_VALUE, activation) << "the manifest does not parse: " << GetLastError();
    const struct {
        const wchar_t* ns;
        const wchar_t* name;
        std::wstring expected;
    } cases[] = {
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true/pm"},
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", L"PerMonitorV2, PerMonitor"},
    };
    for (const auto& c : cases) {
        wchar_t value[128] = {};
        SIZE_T written = 0;
        const BOOL found = QueryActCtxSettingsW(0, activation, c.ns, c.name, value, 128, &written);
        EXPECT_TRUE(found) << c.name;
        EXPECT_EQ(c.expected, std::wstring(value)) << c.name;
    }
    ReleaseActCtx(activation);
}

}  // namespace
