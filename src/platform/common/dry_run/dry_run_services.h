#pragma once
// Decorators of the services whose effects reach outside the program: in a dry run they print the effect
// instead (programs started, exchange files written, clipboard text). Support staff use it to see what a
// workstation would send to an imaging product.

#include <ostream>

#include "platform/clipboard.h"
#include "platform/common/dry_run/effect_writer.h"
#include "platform/files.h"
#include "platform/launcher.h"

namespace veltrane::platform::dry_run {

// {"effect":"launch","verb":...,"file":...,"parameters":...,"directory":...,"showCommand":n}
class DryRunLauncher final : public Launcher {
public:
    explicit DryRunLauncher(EffectWriter& out) : out_(out) {}
    void launch(const LaunchRequest& request) override;

private:
    EffectWriter& out_;
};

// Exchange files are printed as {"effect":"file","path":...,"content_base64":...}; the activity log is not an
// effect on another program and is still appended through the real file system.
class DryRunFiles final : public FileSystem {
public:
    // Appends (the activity log) are not made: each line goes to notes as "log: <line>" instead, so a dry run
    // leaves the shared log as it was and still says what a real run would log.
    DryRunFiles(EffectWriter& out, std::ostream& notes) : out_(out), notes_(notes) {}
    void appendToFile(const std::u16string& path, const std::string& bytes) override;
    void writeWholeFile(const std::u16string& path, const std::string& bytes) override;

private:
    EffectWriter& out_;
    std::ostream& notes_;
};

// {"effect":"clipboard","text":...}
class DryRunClipboard final : public Clipboard {
public:
    explicit DryRunClipboard(EffectWriter& out) : out_(out) {}
    void setText(const std::u16string& text) override;

private:
    EffectWriter& out_;
};

}  // namespace veltrane::platform::dry_run
