#pragma once
// The browser engine renders a page hosted by a program in its oldest document mode unless the program is named
// in the engine's per-user emulation feature: then it uses the mode given there.

#include <string>

namespace veltrane::platform::win32 {

inline constexpr const wchar_t* kBrowserEmulationKey =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
// The engine's most recent standards mode, whatever the page's doctype says.
inline constexpr unsigned long kLatestStandardsMode = 11001;

// This program's file name as the engine looks it up ("veltrane-client-tools.exe").
std::wstring ownExeFileName();

// Writes the emulation value for this program under the current user. Must run before the control is created:
// the engine reads it once per process. Returns the system error code, 0 on success.
unsigned long setBrowserEmulation();

}  // namespace veltrane::platform::win32
