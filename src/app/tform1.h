#pragma once
// The main window object: all state that outlives one event, and every operation of the program.
// The operations are defined in the unit of the subsystem they belong to (app/, settings/, imaging/,
// printing/, ui/ handlers); this class only gathers them so they share the fields.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "platform/platform.h"
#include "settings/activity_log.h"
#include "settings/settings_store.h"

namespace veltrane::imaging {
struct BridgeDefinition;
struct PatientRecord;
}  // namespace veltrane::imaging

namespace veltrane::app {

class TForm1 {
public:
    explicit TForm1(platform::Platform& platform);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // ---- Fields, in their specified order ----
    std::u16string oldPrinter;
    std::u16string apptPrinter;
    std::u16string receiptPrinter;
    std::u16string serverIP;
    std::u16string clientIP;
    std::u16string iniFileName;
    std::u16string wordLoc;
    std::u16string docsLoc;
    std::u16string apptType;
    std::u16string receiptType;
    std::u16string printType;
    std::u16string oldMarginLeft;
    std::u16string oldMarginRight;
    std::u16string oldMarginTop;
    std::u16string oldMarginBottom;
    std::u16string oldHeader;
    std::u16string oldFooter;
    std::vector<std::u16string> systemShortNames;
    std::vector<std::u16string> systemLongNames;

    // ---- Controls that the core fills (the Qt window renders them) ----
    TLabel Label3{u"---"};
    TLabel Label4{u"---"};
    TLabel LabelApptDefault{u"no default"};
    TLabel LabelReceiptDefault{u"no default"};
    TMemo Memo1;
    TListBox ListBoxPrinters;
    TComboBox ComboBoxApptType;
    TComboBox ComboBoxReceiptType;
    TPageControl PageControl1;
    TFlowPanel FlowPanel1{548, 390, {}};

    // ---- Start-up (app/form_create.cpp) ----
    void FormCreate();

    // ---- Request dispatch (app/request_dispatch.cpp) ----
    void parseIniFile();
    // The print branch of the request (printing/print_request.cpp).
    void runPrintBranch();

    // ---- Imaging (imaging/selection.cpp, imaging/dispatch.cpp, imaging/bridge_executor.cpp) ----
    // The images branch of the request: finds the enabled systems and opens them or offers buttons.
    void runImagingSelection();
    // Click handler of the imaging button at buttonIndex in FlowPanel1.Buttons; it runs the system whose display
    // name the button shows and then ends the process (an error in the bridge is thrown and the window stays).
    void imagingButtonClick(std::size_t buttonIndex);
    void imagingButtonClick(const std::u16string& caption);
    // One bridge run; the run with index == lastIndex ends the process through resetProgram.
    void loadImaging(const std::u16string& shortName, int index, int lastIndex);
    // The common frame of every bridge: open-only settings access, the plan, its execution.
    void runBridge(const imaging::BridgeDefinition& bridge, const imaging::PatientRecord& patient);

    // ---- Settings and log (app/tform1.cpp) ----
    std::u16string readSetting(const std::u16string& name) { return store_.readSetting(name); }
    void writeSetting(const std::u16string& name, const std::u16string& value) { store_.writeSetting(name, value); }
    bool settingToBool(std::u16string_view text);
    void writeLog(const std::u16string& message) { log_.writeLog(message); }
    settings::SettingsStore& settingsStore() { return store_; }

    // ---- Printing (printing/) ----
    std::u16string getCurrentPrinter();
    // By value: the restoring call passes oldPrinter, which the call itself overwrites.
    void SetDefaultPrinter(std::u16string name);
    void setIE();
    void resetIE();
    void printBrowserPage();
    void WebBrowser1NavigateComplete2();
    void ColorButton1Click();
    void ColorButton2Click();
    // Restores what a print switched, logs, and ends the process; returns only by throwing.
    void resetProgram();
    // Puts back what a print request whose process has died left switched (printing/restore_journal.cpp).
    void restoreInterruptedPrint();

    platform::Platform& platform() { return platform_; }

private:
    void makeImagingButton(const std::u16string& shortName);
    // The installed printers, taken once when first needed.
    const std::vector<std::u16string>& printerList();
    int currentDefaultPrinterPosition();
    // Writes the default-printer entry for every printer-list entry equal to name.
    void writeDefaultEntryFor(const std::u16string& name);
    // The restore journal (printing/restore_journal.cpp).
    void journalPrinterSwitch(const std::u16string& previous);
    void journalPageSetup();
    void clearJournal();

    platform::Platform& platform_;
    settings::SettingsStore store_;
    settings::ActivityLog log_;
    std::optional<std::vector<std::u16string>> printerList_;
    std::optional<int> printerSelection_;
};

}  // namespace veltrane::app
