#pragma once
// The main window object: all state that outlives one event, and every operation of the program.
// The operations are defined in app/; the work behind them lives in imaging/, printing/ and settings/, whose parts
// receive only the services and values they use and never see this class.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/window/controls.h"
#include "app/window/imaging_pages.h"
#include "platform/platform.h"
#include "printing/default_printer.h"
#include "printing/page_setup.h"
#include "printing/restore_journal.h"
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

    // ---- Fields: the state that outlives one event ----
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

    // ---- Controls of the configuration pages ----
    TCheckBox CheckBoxLogging;
    TCheckBox CheckBoxSSL;
    TCheckBox CheckBox_imaging_autoload;
    TPageControl PageControl2{kCliniviewPage};
    TRadioGroup RadioGroupDigoraNameFormat{{u"Forename Surname", u"Title Forename Surname", u"Surname, Forename"}, -1};
    // The check boxes and edits of the imaging pages, by control name ("CheckBox_dexis_enabled", "Edit_dexis_program").
    std::map<std::u16string, TCheckBox, std::less<>> imagingCheckBoxes = makeImagingCheckBoxes();
    std::map<std::u16string, TEdit, std::less<>> imagingEdits = makeImagingEdits();

    // ---- Start-up (app/form_create.cpp) ----
    void FormCreate();
    // Fills ListBoxPrinters with the installed printers; the window calls it before it is first shown.
    void loadPrinterListBox();

    // ---- Request dispatch (app/request_dispatch.cpp) ----
    // Carries out the request's action. A request file that cannot be read or holds no action is logged and thrown
    // as "The request file <path> cannot be read: <reason>" or "... holds no action".
    void parseIniFile();
    // The print branch of the request (app/print_session.cpp).
    void runPrintBranch();

    // ---- Imaging (app/imaging_request.cpp) ----
    // The images branch of the request: finds the enabled systems and opens them or offers buttons.
    void runImagingSelection();
    // Click handler of the imaging button at buttonIndex in FlowPanel1.Buttons; it runs the system whose display
    // name the button shows and then ends the process (an error in the bridge is thrown and the window stays).
    void imagingButtonClick(std::size_t buttonIndex);
    void imagingButtonClick(const std::u16string& caption);
    // One bridge run; the run with index == lastIndex ends the process through resetProgram.
    void loadImaging(const std::u16string& shortName, int index, int lastIndex);
    // The common frame of every bridge: open-only settings access, the plan, its execution. A failure is logged
    // as one line, makes the process end with exit code 1 unless a later run succeeds, and is thrown on.
    void runBridge(const imaging::BridgeDefinition& bridge, const imaging::PatientRecord& patient);

    // ---- Settings and log (app/tform1.cpp) ----
    std::u16string readSetting(const std::u16string& name) { return store_.readSetting(name); }
    void writeSetting(const std::u16string& name, const std::u16string& value) { store_.writeSetting(name, value); }
    bool settingToBool(std::u16string_view text);
    void writeLog(const std::u16string& message) { log_.writeLog(message); }
    settings::SettingsStore& settingsStore() { return store_; }

    // ---- Printing (app/print_session.cpp, app/print_view.cpp) ----
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
    // A dry run has no page to wait for: the print is shown as if the page had loaded, and the run ends as DONE
    // ends it. Does nothing when the request asked for no page.
    void finishDryRunPrint();
    // Puts back what a print request whose process has died left switched (the restore journal).
    void restoreInterruptedPrint();

    // ---- The print view's feedback and the browser's later events (app/print_view.cpp) ----
    // The status line over the page: what is loading, where the page was printed, what failed.
    TLabel PrintStatus;
    // "Print Again" needs a loaded page.
    bool PrintAgainEnabled = false;
    // Offered once DONE has failed to put everything back, so the window can still be closed.
    bool CloseAnywayVisible = false;
    void WebBrowser1Loading(int percent);
    // A load that failed: logged, shown, and raised as the event's error.
    void WebBrowser1NavigateFailed(const std::string& message);
    // The printer system took the job ("Sent to"), finished it ("Printed on"), or holds it for a reason.
    void WebBrowser1Printed(const std::u16string& printer);
    void WebBrowser1PrintCompleted(const std::u16string& printer);
    void WebBrowser1PrintDelayed(const std::u16string& printer, const std::u16string& reason);
    void WebBrowser1PrintFailed(const std::string& message);
    // Ends the process without restoring; the restore journal keeps the request, so the next start restores.
    void CloseAnywayClick();

    // ---- Printers page (app/printers_page.cpp) ----
    void Button2Click();
    void Button3Click();
    void ComboBoxApptTypeChange();
    void ComboBoxReceiptTypeChange();

    // ---- Config and "Choose Imaging System" pages (app/config_page.cpp) ----
    void TabSheet2Show();
    void CheckBoxLoggingClick();
    void CheckBoxSSLClick();
    void TabSheet19Show();
    void CheckBox_imaging_autoloadClick();

    // ---- Imaging pages (app/imaging_page_handlers.cpp), driven by kImagingPages ----
    // TabSheet4Show ... TabSheet28Show: page is the position in kImagingPages.
    void imagingPageShow(int page);
    // CheckBox_<prefix>_enabledClick and CheckBox_dbswin_noidClick.
    void imagingCheckBoxClick(std::u16string_view box);
    // Edit_<prefix>_<name>Exit.
    void imagingEditExit(std::u16string_view edit);
    // The "Browse..." buttons' ButtonNClick.
    void imagingBrowseClick(std::u16string_view button);
    void RadioGroupDigoraNameFormatClick();
    void PageControl2Exit();
    // Runs an imaging page handler by its name ("TabSheet6Show", "CheckBox_dexis_enabledClick",
    // "Edit_dexis_programExit", "Button6Click"); false when no imaging page has a handler of that name.
    bool runImagingHandler(std::u16string_view handler);
    TCheckBox& imagingCheckBox(std::u16string_view name);
    TEdit& imagingEdit(std::u16string_view name);

    platform::Platform& platform() { return platform_; }

private:
    [[noreturn]] void refuseRequest(const std::u16string& why);
    void makeImagingButton(const std::u16string& shortName);
    // The page setup as oldFooter ... oldMarginRight hold it.
    printing::SavedPageSetup savedPageSetup() const;
    void failRestore(const std::string& reason);

    // What this request's own print uses, whatever other requests switch meanwhile.
    std::u16string printerToRestore_;  // the default found by this request's switch; never overwritten after
    std::u16string printDestination_;  // the printer this request switched to; empty: the default of the moment
    bool pageSetupSet_ = false;
    bool restoreMargins_ = false;
    std::u16string printUrl_;
    bool loading_ = false;
    bool pageLoaded_ = false;       // the page is there to print; false after a failed load
    std::u16string missingPrinter_;  // the document's printer, not installed: nothing prints until Print Again
    // A request that failed (unreadable, or a bridge that could not run) ends the process with exit code 1, so a
    // caller that waits for us learns of it.
    bool requestFailed_ = false;

    platform::Platform& platform_;
    settings::SettingsStore store_;
    settings::ActivityLog log_;
    printing::DefaultPrinter defaultPrinter_;
    printing::RestoreJournal journal_;
    // Whether the Romexis page has been shown, so leaving the imaging pages never stores its still-empty edit.
    bool romexisPageShown_ = false;
    void setPrinterSetting(const std::u16string& name, TLabel& label, const std::u16string& confirmation);
    // Reads a flag setting into a box; true when that changed the box's state (its click handler then runs).
    bool loadFlag(TCheckBox& box, const std::u16string& value);
};

}  // namespace veltrane::app
