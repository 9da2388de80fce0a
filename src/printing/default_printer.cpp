// Switching the system default printer and remembering the previous one.

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"

namespace veltrane::app {

const std::vector<std::u16string>& TForm1::printerList() {
    if (!printerList_) printerList_ = platform_.printers.printerNames();
    return *printerList_;
}

// The platform's default printer as a position in the printer list (first entry equal without regard to case).
int TForm1::currentDefaultPrinterPosition() {
    const auto name = platform_.printers.defaultPrinterName();
    if (name) {
        const auto& list = printerList();
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (equalsIgnoreCase(list[i], *name)) return static_cast<int>(i);
        }
    }
    throw Error(std::string(messages::kNoDefaultPrinter));
}

void TForm1::loadPrinterListBox() { ListBoxPrinters.Items = printerList(); }

std::u16string TForm1::getCurrentPrinter() {
    if (!printerSelection_) printerSelection_ = currentDefaultPrinterPosition();
    return printerList()[static_cast<std::size_t>(*printerSelection_)];
}

void TForm1::SetDefaultPrinter(std::u16string name) {
    writeLog(u"SetDefaultPrinter " + name);
    oldPrinter = getCurrentPrinter();
    // Kept apart from oldPrinter, which every call overwrites: a DONE that fails and is pressed again must still
    // go back to the printer found before the print.
    if (printerToRestore_.empty()) printerToRestore_ = oldPrinter;
    writeLog(u"oldPrinter " + oldPrinter);
    Memo1.Lines.push_back(u"Default printer: " + oldPrinter);
    // The selection follows the system default only here, just before a new default is written.
    printerSelection_.reset();
    printerSelection_ = currentDefaultPrinterPosition();
    // Recorded before anything changes, so a process that dies before DONE does not leave the switch behind.
    journalPrinterSwitch(oldPrinter);
    writeDefaultEntryFor(name);
    writeLog(u"Done SetDefaultPrinter");
}

bool TForm1::writeDefaultEntryFor(const std::u16string& name) {
    const auto& list = printerList();
    const std::size_t count = list.size();
    bool matched = false;
    // Every equal entry is written, so the last match stays in force. The texts have no fixed size: a printer
    // name of any length is written whole.
    for (std::size_t i = 0; i < count; ++i) {
        if (list[i] != name) continue;
        const auto details = platform_.printers.details(list[i]);
        platform_.printers.writeDefaultDeviceEntry(details.device + u"," + details.driver + u"," + details.port);
        matched = true;
    }
    return matched;
}

}  // namespace veltrane::app
