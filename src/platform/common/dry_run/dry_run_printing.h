#pragma once
// Dry run of a print request: the printer switch, the page-setup writes and the page request are printed as
// effects instead of being made. Each effect is one JSON object on its own line:
//   {"effect":"default-printer","value":"<device>,<driver>,<port>"}
//   {"effect":"page-setup","name":"margin_top","value":"0"}
//   {"effect":"navigate","url":"http://...","flags":4}
//   {"effect":"print","printer":"Zebra","header":"","footer":"","margin_top":"0",...}
// Reads still reach the real services, and what the run itself wrote is read back, so the log and a DONE in
// the same run show what would happen. Nothing of it lasts beyond the process, the restore journal included.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/common/dry_run/effect_writer.h"
#include "platform/printers.h"
#include "platform/registry.h"

namespace veltrane::platform::dry_run {

class DryRunPrinters final : public Printers {
public:
    DryRunPrinters(Printers& real, EffectWriter& out) : real_(real), out_(out) {}
    std::vector<std::u16string> printerNames() override { return real_.printerNames(); }
    std::optional<std::u16string> defaultPrinterName() override;
    PrinterDetails details(const std::u16string& printerName) override { return real_.details(printerName); }
    void writeDefaultDeviceEntry(const std::u16string& value) override;

private:
    Printers& real_;
    EffectWriter& out_;
    std::optional<std::u16string> default_;  // the default this run would have set
};

// A registry key whose writes stay in the process. With an effect name each write is printed as
// {"effect":"<effect>","name":...,"value":...}; without one it is kept silently.
struct OverlaidKey {
    std::u16string path;  // relative to HKEY_CURRENT_USER, exactly as the program opens it
    std::string effect;
};

// The overlaid keys are read through to the real key and see this run's writes first; every other key is the
// real one.
class DryRunRegistry final : public Registry {
public:
    DryRunRegistry(Registry& real, EffectWriter& out, std::vector<OverlaidKey> keys)
        : real_(real), out_(out), keys_(std::move(keys)) {}
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;

    struct Overlay {
        std::map<std::u16string, RegValue> values;
        bool exists = false;
    };

private:
    Registry& real_;
    EffectWriter& out_;
    std::vector<OverlaidKey> keys_;
    std::map<std::u16string, Overlay> overlays_;
};

class DryRunBrowser final : public Browser {
public:
    explicit DryRunBrowser(EffectWriter& out) : out_(out) {}
    void navigate(const std::u16string& url, int flags) override;
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;

private:
    EffectWriter& out_;
};

}  // namespace veltrane::platform::dry_run
