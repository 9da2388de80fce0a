// Start-up: everything the program needs before the window is first shown.

#include "app/tform1.h"
#include "imaging/catalogue.h"

namespace veltrane::app {

void TForm1::FormCreate() {
    // 1. The first log line is also the first settings access, which creates the key when it is missing.
    writeLog(u"=== Load Client Tools ===");
    // A print request that died before DONE left the workstation switched: put it back before anything else.
    restoreInterruptedPrint();

    // 2. The boolean rule (empty text reads as false) is part of settings::settingToBool itself.

    // 3. The catalogue, in catalogue order.
    systemShortNames.clear();
    systemLongNames.clear();
    for (const auto& system : imaging::kCatalogue) {
        systemShortNames.emplace_back(system.shortName);
        systemLongNames.emplace_back(system.displayName);
    }

    // 4. Installed printers: taken when the window is built (loadPrinterListBox) or a print needs them, so an
    //    images request that shows nothing never starts the printer system. The list is still taken once.

    // 5. The command line. The value after an option is examined again like any other argument.
    auto& args = platform_.commandLine;
    const int count = args.paramCount();
    for (int i = 0; i <= count; ++i) {
        const std::u16string arg = args.paramStr(i);
        Memo1.Lines.push_back(arg);
        if (arg == u"-s") serverIP = args.paramStr(i + 1);
        if (arg == u"-c") clientIP = args.paramStr(i + 1);
        if (arg == u"-x") iniFileName = args.paramStr(i + 1);
    }

    // 6. Stored printers, server and print types, through a key that is only opened, never created here.
    if (auto key = store_.openExisting()) {
        apptPrinter = key->read(u"apptcard_printer");
        receiptPrinter = key->read(u"receipt_printer");
        if (!serverIP.empty()) {
            key->write(u"server_ip", serverIP);
        } else {
            serverIP = key->read(u"server_ip");
        }
        wordLoc = key->read(u"word_location");
        docsLoc = key->read(u"docs_location");
        apptType = key->read(u"appt_type");
        receiptType = key->read(u"receipt_type");
    }

    // 7. Labels and type boxes replace their designed captions in every case.
    LabelApptDefault.Caption = apptPrinter;
    LabelReceiptDefault.Caption = receiptPrinter;
    ComboBoxApptType.Text = apptType;
    ComboBoxReceiptType.Text = receiptType;

    // 8. "Printers".
    PageControl1.ActivePageIndex = 0;

    // 9. The request, run to its end (it may end the process).
    if (!iniFileName.empty()) parseIniFile();
}

}  // namespace veltrane::app
