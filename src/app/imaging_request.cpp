// The images branch of a request: which systems it opens, the buttons that offer them, and one bridge run.

#include <algorithm>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "imaging/bridge_executor.h"
#include "imaging/bridge_table.h"
#include "imaging/catalogue.h"
#include "imaging/patient_record.h"
#include "imaging/selection.h"

namespace veltrane::app {

namespace {
constexpr int kChooseImagingSystemPage = 3;
}

void TForm1::runImagingSelection() {
    // Without a settings key the request silently does nothing.
    auto key = store_.openExisting();
    if (!key) return;

    const std::vector<std::u16string> enabled = imaging::enabledSystems(*key);
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

void TForm1::loadImaging(const std::u16string& shortName, int index, int lastIndex) {
    writeLog(u"Start loading imaging " + shortName);
    const imaging::PatientRecord patient = imaging::readPatientRecord(platform_.ini, iniFileName, shortName);
    Label4.Caption = shortName + u":" + patient.patientId;

    // Every row is tested, also after a match; an error ends the run here and the process keeps running.
    for (const imaging::BridgeDefinition* bridge : imaging::dispatchTable()) {
        if (bridge->shortName == shortName) runBridge(*bridge, patient);
    }

    // Every run so far succeeded (a failure ends the loop by throwing): also a retry after a failed click.
    if (index == lastIndex) {
        requestFailed_ = false;
        resetProgram();
    }
}

void TForm1::runBridge(const imaging::BridgeDefinition& bridge, const imaging::PatientRecord& patient) {
    if (!bridge.plan) return;  // a bridge without a plan touches nothing, not even the settings key
    // Open only: without a settings key the run has no effect and says nothing.
    auto key = store_.openExisting();
    if (!key) return;
    std::u16string systemName(bridge.shortName);
    for (const auto& system : imaging::kCatalogue)
        if (system.shortName == bridge.shortName) systemName = system.displayName;
    try {
        const imaging::BridgePlan plan =
            imaging::planBridge(bridge, patient, *key, {platform_.ansi, platform_.system, platform_.clock});
        imaging::executePlan(plan, systemName, {platform_.files, platform_.launcher, platform_.clipboard}, Memo1.Lines);
    } catch (const Error& e) {
        // The log is one line per entry: the message's lines are joined.
        std::u16string line = utf8ToUtf16(e.what());
        for (std::size_t at = line.find(u'\n'); at != std::u16string::npos; at = line.find(u'\n', at))
            line.replace(at, 1, u" - ");
        writeLog(u"Imaging " + std::u16string(bridge.shortName) + u" failed: " + line);
        requestFailed_ = true;
        throw;
    }
}

}  // namespace veltrane::app
