#pragma once
// Fallback backends for services that are not available: the program keeps building and running without them.

#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/printers.h"

namespace veltrane::platform::noop {

// No printer system: an empty list and no default printer.
class NoPrinters final : public Printers {
public:
    std::vector<std::u16string> printerNames() override { return {}; }
    std::optional<std::u16string> defaultPrinterName() override { return std::nullopt; }
    PrinterDetails details(const std::u16string& name) override { return {name, {}, {}}; }
    void writeDefaultDeviceEntry(const std::u16string&) override {}
};

// No display: messages go to stderr, and a file dialog counts as cancelled.
class StderrDialogs final : public Dialogs {
public:
    void showMessage(const std::u16string& text, MessagePlacement placement) override;
    void showError(const std::u16string& text) override;
    std::optional<std::u16string> chooseFileOrFolder(bool) override { return std::nullopt; }
};

// No clipboard: every attempt fails with the platform's reason.
class NoClipboard final : public Clipboard {
public:
    void setText(const std::u16string&) override;
};

// No browser engine: a print fails with the reason.
class NoBrowser final : public Browser {
public:
    void navigate(const std::u16string&, int) override {}
    void print(const PageSetupValues&, const std::u16string&) override;
};

}  // namespace veltrane::platform::noop
