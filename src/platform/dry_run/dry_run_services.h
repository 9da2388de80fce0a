#pragma once
// Decorators of the services whose effects reach outside the program: in a dry run they print the effect
// instead (programs started, exchange files written, clipboard text). Support staff use it to see what a
// workstation would send to an imaging product.

#include "platform/clipboard.h"
#include "platform/dry_run/effect_printer.h"
#include "platform/files.h"
#include "platform/launcher.h"

namespace veltrane::platform::dry_run {

// {"effect":"launch","verb":...,"file":...,"parameters":...,"directory":...,"showCommand":n}
class DryRunLauncher final : public Launcher {
public:
    explicit DryRunLauncher(EffectPrinter& printer) : printer_(printer) {}
    void launch(const LaunchRequest& request) override;

private:
    EffectPrinter& printer_;
};

// Exchange files are printed as {"effect":"file","path":...,"content_base64":...}; the activity log is not an
// effect on another program and is still appended through the real file system.
class DryRunFiles final : public FileSystem {
public:
    DryRunFiles(EffectPrinter& printer, FileSystem& real) : printer_(printer), real_(real) {}
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;

private:
    EffectPrinter& printer_;
    FileSystem& real_;
};

// {"effect":"clipboard","text":...}
class DryRunClipboard final : public Clipboard {
public:
    explicit DryRunClipboard(EffectPrinter& printer) : printer_(printer) {}
    void setText(const std::u16string& text) override;

private:
    EffectPrinter& printer_;
};

}  // namespace veltrane::platform::dry_run
