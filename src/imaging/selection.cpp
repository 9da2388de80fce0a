// Which imaging systems an images request opens: one at once, all of them, or the user's pick.

#include <algorithm>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "imaging/catalogue.h"

namespace veltrane::app {

namespace {

constexpr int kChooseImagingSystemPage = 3;

// The catalogue sorted by scan position.
std::vector<const imaging::ImagingSystem*> scanOrder() {
    std::vector<const imaging::ImagingSystem*> order;
    for (const auto& system : imaging::kCatalogue) order.push_back(&system);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->scanPosition < b->scanPosition; });
    return order;
}

}  // namespace

void TForm1::runImagingSelection() {
    // Without a settings key the request silently does nothing.
    auto key = store_.openExisting();
    if (!key) return;

    // Only the exact text "True" enables a system; all reads come before the first bridge run.
    std::vector<std::u16string> enabled;
    for (const auto* system : scanOrder()) {
        if (key->read(std::u16string(system->prefix) + u"_enabled") == u"True") {
            enabled.emplace_back(system->shortName);
        }
    }
    const int count = static_cast<int>(enabled.size());

    if (count == 0) {
        platform_.dialogs.showMessage(u"No imaging system set", platform::MessagePlacement::Default);
        return;
    }
    if (count == 1) {
        loadImaging(enabled.front(), 0, 0);
        return;
    }

    const bool autoload = key->read(u"imaging_autoload") == u"True";
    writeLog(autoload ? u"More than one imaging system, load them all"
                      : u"More than one imaging system, show the selection");
    PageControl1.ActivePageIndex = kChooseImagingSystemPage;
    for (int i = 0; i < count; ++i) {
        makeImagingButton(enabled[static_cast<std::size_t>(i)]);
        // The last run ends the process, so under automatic load the window is never shown.
        if (autoload) loadImaging(enabled[static_cast<std::size_t>(i)], i, count - 1);
    }
}

void TForm1::makeImagingButton(const std::u16string& shortName) {
    TButton button;
    button.Height = 60;
    button.Width = FlowPanel1.Width - 5;
    button.FontSize = 30;
    button.FontBold = true;
    const auto at = std::find(systemShortNames.begin(), systemShortNames.end(), shortName);
    if (at == systemShortNames.end()) throw Error(formatMessage(messages::kListIndexOutOfBounds, "-1"));
    button.Caption = systemLongNames.at(static_cast<std::size_t>(at - systemShortNames.begin()));
    FlowPanel1.Buttons.push_back(std::move(button));
}

void TForm1::imagingButtonClick(std::size_t buttonIndex) {
    if (buttonIndex >= FlowPanel1.Buttons.size()) {
        throw Error(formatMessage(messages::kListIndexOutOfBounds, std::to_string(buttonIndex)));
    }
    // Copied: the click may run for a while and the caption identifies the system.
    const std::u16string caption = FlowPanel1.Buttons[buttonIndex].Caption;
    imagingButtonClick(caption);
}

void TForm1::imagingButtonClick(const std::u16string& caption) {
    // The first display name equal to the caption, ignoring letter case.
    std::size_t position = 0;
    while (position < systemLongNames.size() && !equalsIgnoreCase(systemLongNames[position], caption)) ++position;
    if (position >= systemLongNames.size() || position >= systemShortNames.size()) {
        throw Error(formatMessage(messages::kListIndexOutOfBounds, "-1"));
    }
    loadImaging(systemShortNames[position], 0, 0);
}

}  // namespace veltrane::app
