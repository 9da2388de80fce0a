#include "platform/dry_run/dry_run_printing.h"

#include "base/text.h"
#include "platform/dry_run/effect_printer.h"
#include "printing/device_entry.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"
#include "settings/reg_format.h"

namespace veltrane::platform::dry_run {

namespace {

// A key whose writes stay in this process; reads see them first, then the real key (when there is one).
class OverlayKey final : public RegistryKey {
public:
    OverlayKey(std::unique_ptr<RegistryKey> real, DryRunRegistry::Overlay& overlay, std::ostream* effects)
        : real_(std::move(real)), overlay_(overlay), effects_(effects) {}
    std::optional<RegValue> queryValue(const std::u16string& name) override {
        const auto it = overlay_.values.find(name);
        if (it != overlay_.values.end()) return RegValue{RegType::Sz, settings::stringValueData(it->second)};
        return real_ ? real_->queryValue(name) : std::nullopt;
    }
    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        overlay_.values[name] = value;
        if (effects_)
            writeEffect(*effects_, "page-setup", {{"name", utf16ToUtf8(name)}, {"value", utf16ToUtf8(value)}});
        return true;
    }

private:
    std::unique_ptr<RegistryKey> real_;
    DryRunRegistry::Overlay& overlay_;
    std::ostream* effects_;
};

}  // namespace

void writeEffect(std::ostream& out, const std::string& effect,
                 const std::vector<std::pair<std::string, std::string>>& textFields,
                 const std::vector<std::pair<std::string, long>>& numberFields) {
    std::string line = "{\"effect\":" + jsonString(effect);
    for (const auto& [name, value] : textFields) line += "," + jsonString(name) + ":" + jsonString(value);
    for (const auto& [name, value] : numberFields) line += "," + jsonString(name) + ":" + std::to_string(value);
    out << line << "}\n";
    out.flush();
}

std::optional<std::u16string> DryRunPrinters::defaultPrinterName() {
    if (default_) return default_;
    return real_.defaultPrinterName();
}

void DryRunPrinters::writeDefaultDeviceEntry(const std::u16string& value) {
    writeEffect(out_, "default-printer", {{"value", utf16ToUtf8(value)}});
    default_ = printing::deviceOfEntry(value);
}

std::unique_ptr<RegistryKey> DryRunRegistry::openKey(const std::u16string& path, bool create) {
    const bool pageSetup = path == printing::kPageSetupKeyPath;
    if (!pageSetup && path != printing::kRestoreJournalKeyPath) return real_.openKey(path, create);
    auto real = real_.openKey(path, /*create=*/false);
    auto& overlay = overlays_[path];
    if (!real && !overlay.exists && !create) return nullptr;
    overlay.exists = true;
    return std::make_unique<OverlayKey>(std::move(real), overlay, pageSetup ? &out_ : nullptr);
}

void DryRunBrowser::navigate(const std::u16string& url, int flags) {
    writeEffect(out_, "navigate", {{"url", utf16ToUtf8(url)}}, {{"flags", flags}});
}

void DryRunBrowser::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    writeEffect(out_, "print",
                {{"printer", utf16ToUtf8(printer)},
                 {"header", utf16ToUtf8(pageSetup.header)},
                 {"footer", utf16ToUtf8(pageSetup.footer)},
                 {"margin_top", utf16ToUtf8(pageSetup.marginTop)},
                 {"margin_bottom", utf16ToUtf8(pageSetup.marginBottom)},
                 {"margin_left", utf16ToUtf8(pageSetup.marginLeft)},
                 {"margin_right", utf16ToUtf8(pageSetup.marginRight)}});
}

}  // namespace veltrane::platform::dry_run
