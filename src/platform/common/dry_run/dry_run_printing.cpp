#include "platform/common/dry_run/dry_run_printing.h"

#include <algorithm>

#include "base/text.h"
#include "platform/printers.h"
#include "platform/common/reg_format.h"

namespace veltrane::platform::dry_run {

namespace {

// The text of a string value, up to its terminating zero.
std::u16string textOf(const RegValue& value) {
    std::u16string text = utf16leText(value.data);
    return text.substr(0, text.find(u'\0'));
}

// A key whose writes stay in this process; reads see them first, then the real key (when there is one).
class OverlayKey final : public RegistryKey {
public:
    OverlayKey(std::unique_ptr<RegistryKey> real, DryRunRegistry::Overlay& overlay, EffectWriter* effects,
               const std::string& effect)
        : real_(std::move(real)), overlay_(overlay), effects_(effects), effect_(effect) {}
    std::optional<RegValue> queryValue(const std::u16string& name) override {
        const auto it = overlay_.values.find(name);
        if (it != overlay_.values.end()) return it->second;
        return real_ ? real_->queryValue(name) : std::nullopt;
    }
    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        overlay_.values[name] = RegValue{RegType::Sz, platform::stringValueData(value)};
        if (effects_) effects_->write(effect_, {{"name", utf16ToUtf8(name)}, {"value", utf16ToUtf8(value)}});
        return true;
    }
    std::vector<std::u16string> valueNames() override {
        std::vector<std::u16string> names = real_ ? real_->valueNames() : std::vector<std::u16string>{};
        for (const auto& entry : overlay_.values) {
            const std::u16string& name = entry.first;
            const bool listed = std::any_of(names.begin(), names.end(),
                                            [&](const std::u16string& n) { return equalsIgnoreCase(n, name); });
            if (!listed) names.push_back(name);
        }
        return names;
    }
    void setValues(const std::vector<RegNamedValue>& values) override {
        for (const auto& v : values) {
            overlay_.values[v.name] = v.value;
            if (!effects_) continue;
            if (v.value.type == RegType::Sz || v.value.type == RegType::ExpandSz)
                effects_->write(effect_, {{"name", utf16ToUtf8(v.name)}, {"value", utf16ToUtf8(textOf(v.value))}});
            else
                effects_->write(effect_,
                                {{"name", utf16ToUtf8(v.name)},
                                 {"data_base64", base64(std::string(v.value.data.begin(), v.value.data.end()))}},
                                {{"type", static_cast<long>(v.value.type)}});
        }
    }

private:
    std::unique_ptr<RegistryKey> real_;
    DryRunRegistry::Overlay& overlay_;
    EffectWriter* effects_;
    std::string effect_;
};

}  // namespace

std::optional<std::u16string> DryRunPrinters::defaultPrinterName() {
    if (default_) return default_;
    return real_.defaultPrinterName();
}

void DryRunPrinters::writeDefaultDeviceEntry(const std::u16string& value) {
    out_.write("default-printer", {{"value", utf16ToUtf8(value)}});
    default_ = platform::deviceOfEntry(value);
}

std::unique_ptr<RegistryKey> DryRunRegistry::openKey(const std::u16string& path, bool create) {
    const auto overlaid =
        std::find_if(keys_.begin(), keys_.end(), [&](const OverlaidKey& k) { return k.path == path; });
    if (overlaid == keys_.end()) return real_.openKey(path, create);
    auto real = real_.openKey(path, /*create=*/false);
    auto& overlay = overlays_[path];
    if (!real && !overlay.exists && !create) return nullptr;
    overlay.exists = true;
    return std::make_unique<OverlayKey>(std::move(real), overlay, overlaid->effect.empty() ? nullptr : &out_,
                                        overlaid->effect);
}

void DryRunBrowser::navigate(const std::u16string& url, int flags) {
    out_.write("navigate", {{"url", utf16ToUtf8(url)}}, {{"flags", flags}});
}

void DryRunBrowser::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    out_.write("print", {{"printer", utf16ToUtf8(printer)},
                         {"header", utf16ToUtf8(pageSetup.header)},
                         {"footer", utf16ToUtf8(pageSetup.footer)},
                         {"margin_top", utf16ToUtf8(pageSetup.marginTop)},
                         {"margin_bottom", utf16ToUtf8(pageSetup.marginBottom)},
                         {"margin_left", utf16ToUtf8(pageSetup.marginLeft)},
                         {"margin_right", utf16ToUtf8(pageSetup.marginRight)}});
}

}  // namespace veltrane::platform::dry_run
