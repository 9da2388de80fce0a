#pragma once
// The browser's page setup around a print: clearing it, putting back what the print found, and the values a
// print is given.

#include <optional>
#include <string>

#include "platform/browser.h"
#include "platform/registry.h"
#include "settings/settings_store.h"

namespace veltrane::printing {

// The browser's per-user page-setup key. Windows keeps it where its browser engine reads it; Qt WebEngine keeps
// no page setup of its own, so on Linux it sits in the program's settings file under a key of its own, and the
// print reads it from there. Each program defines it for its operating system (os_conventions.cpp in its folder).
extern const std::u16string kPageSetupKeyPath;

// What a print found before it cleared the page setup, to be put back when it ends.
struct SavedPageSetup {
    std::u16string footer;
    std::u16string header;
    std::u16string marginBottom;
    std::u16string marginTop;
    std::u16string marginLeft;
    std::u16string marginRight;
};

class RestoreJournal;

// nullopt when the key cannot be opened (or, without create, does not exist).
std::optional<settings::OpenSettingsKey> openPageSetup(platform::Registry& registry, bool create);
// Gives every page-setup value that is absent the browser engine's usual one (margins of 0.75 in, the usual
// header and footer codes), as the engine keeps them on Windows: what a print saves and DONE puts back is then
// always a real value. Values that exist, empty ones too, are left as they are.
void fillEngineDefaults(settings::OpenSettingsKey& key);
// Empties header and footer, and zeroes the margins when asked (a dedicated printer prints without them).
void clearPageSetup(settings::OpenSettingsKey& key, bool margins);
// Writes the saved values back, the margins only when asked. An empty saved value is never written: the value
// keeps what the print wrote.
void putBackPageSetup(platform::Registry& registry, const SavedPageSetup& saved, bool margins);
// The page setup a print is given. A request that set the page setup itself (ownSetup) prints with what it set,
// not with what the shared values hold by now: another request printing alongside may have changed them since.
// Without one, the values that stand when the print is given, as the engine would read them.
platform::PageSetupValues pageSetupForPrint(platform::Registry& registry, RestoreJournal& journal, bool ownSetup,
                                            bool dedicated);

}  // namespace veltrane::printing
