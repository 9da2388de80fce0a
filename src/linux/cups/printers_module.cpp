// The printers module: CUPS behind the factory the program looks up when it first needs a printer.

#include "linux/cups/cups_printers.h"

extern "C" __attribute__((visibility("default"))) veltrane::platform::Printers* veltrane_create_printers() {
    return new veltrane::platform::cups::CupsPrinters();
}
