#pragma once
// The clipboard on X11 (XWayland included): the CLIPBOARD selection, served by the veltrane-clipboard helper so
// the text stays available after this program has ended, until another program takes the selection.

#include <sys/types.h>

#include <string>

#include "platform/clipboard.h"

namespace veltrane::platform::x11 {

class X11Clipboard final : public Clipboard {
public:
    // helperPath: the veltrane-clipboard helper program, which the composition root finds where it was shipped.
    explicit X11Clipboard(std::string helperPath);
    // Returns once the helper owns the selection. Throws "Cannot open clipboard: <reason>".
    void setText(const std::u16string& text) override;
    // The process that serves the latest text, 0 before the first success.
    pid_t serverPid() const { return serverPid_; }

private:
    std::string helperPath_;
    pid_t serverPid_ = 0;
};

}  // namespace veltrane::platform::x11
