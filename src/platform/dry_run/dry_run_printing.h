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
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/browser.h"
#include "platform/printers.h"
#include "platform/registry.h"

namespace veltrane::platform::dry_run {

// One effect line: {"effect":"<effect>", then the fields in order}. Text fields are escaped as JSON strings.
void writeEffect(std::ostream& out, const std::string& effect,
                 const std::vector<std::pair<std::string, std::string>>& textFields,
                 const std::vector<std::pair<std::string, long>>& numberFields = {});

class DryRunPrinters final : public Printers {
public:
    DryRunPrinters(Printers& real, std::ostream& out) : real_(real), out_(out) {}
    std::vector<std::u16string> printerNames() override { return real_.printerNames(); }
    std::optional<std::u16string> defaultPrinterName() override;
    PrinterDetails details(const std::u16string& printerName) override { return real_.details(printerName); }
    void writeDefaultDeviceEntry(const std::u16string& value) override;

private:
    Printers& real_;
    std::ostream& out_;
    std::optional<std::u16string> default_;  // the default this run would have set
};

// Writes below the page-setup key are shown as effects; writes below the restore journal are kept silently.
// Every other key is the real one.
class DryRunRegistry final : public Registry {
public:
    DryRunRegistry(Registry& real, std::ostream& out) : real_(real), out_(out) {}
    std::unique_ptr<RegistryKey> openKey(const std::u16string& path, bool create) override;

    struct Overlay {
        std::map<std::u16string, std::u16string> values;
        bool exists = false;
    };

private:
    Registry& real_;
    std::ostream& out_;
    std::map<std::u16string, Overlay> overlays_;
};

class DryRunBrowser final : public Browser {
public:
    explicit DryRunBrowser(std::ostream& out) : out_(out) {}
    void navigate(const std::u16string& url, int flags) override;
    void print(const PageSetupValues& pageSetup, const std::u16string& printer) override;

private:
    std::ostream& out_;
};

}  // namespace veltrane::platform::dry_run
