// The "Printers" page: the appointment and receipt printers and their print types, read at the next start.

#include "app/tform1.h"
#include "base/error.h"

namespace veltrane::app {

void TForm1::setPrinterSetting(const std::u16string& name, TLabel& label, const std::u16string& confirmation) {
    const int index = ListBoxPrinters.ItemIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= ListBoxPrinters.Items.size())
        throw Error(formatMessage(messages::kListIndexOutOfBounds, std::to_string(index)));
    const std::u16string printer = ListBoxPrinters.Items[static_cast<std::size_t>(index)];
    writeSetting(name, printer);
    label.Caption = printer;
    platform_.dialogs.showMessage(confirmation + printer, platform::MessagePlacement::ScreenCentered);
}

void TForm1::Button2Click() {
    setPrinterSetting(u"apptcard_printer", LabelApptDefault, u"Default Appointment Printer set to ");
}

void TForm1::Button3Click() {
    setPrinterSetting(u"receipt_printer", LabelReceiptDefault, u"Default Receipt Printer set to ");
}

// Every change is stored, typed characters included, so there is no save step to forget.
void TForm1::ComboBoxApptTypeChange() { writeSetting(u"appt_type", ComboBoxApptType.Text); }

void TForm1::ComboBoxReceiptTypeChange() { writeSetting(u"receipt_type", ComboBoxReceiptType.Text); }

}  // namespace veltrane::app
