// The spooler backend against a private CUPS scheduler that Wine's spooler serves (run by run_under_cups.sh,
// which creates the queues vtWinOffice and vtWinZebra and makes vtWinOffice the default).

#include "windows/services/spooler_printers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace veltrane::platform::win32 {
namespace {

bool listed(const std::vector<std::u16string>& names, const std::u16string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(SpoolerPrinters, ListsTheQueuesAndTheirDetails) {
    SpoolerPrinters printers;
    const auto names = printers.printerNames();
    ASSERT_TRUE(listed(names, u"vtWinOffice")) << names.size() << " printers";
    ASSERT_TRUE(listed(names, u"vtWinZebra"));
    const PrinterDetails details = printers.details(u"vtWinZebra");
    EXPECT_EQ(details.device, u"vtWinZebra");
    EXPECT_FALSE(details.driver.empty());
    EXPECT_FALSE(details.port.empty());
    // A printer the spooler does not know keeps its name, with nothing for driver and port.
    const PrinterDetails unknown = printers.details(u"no such printer");
    EXPECT_EQ(unknown.device, u"no such printer");
    EXPECT_EQ(unknown.driver, u"");
    EXPECT_EQ(unknown.port, u"");
}

TEST(SpoolerPrinters, TheDeviceEntrySwitchesTheDefaultAndBack) {
    SpoolerPrinters printers;
    const auto before = printers.defaultPrinterName();
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(*before, u"vtWinOffice");

    const PrinterDetails zebra = printers.details(u"vtWinZebra");
    printers.writeDefaultDeviceEntry(zebra.device + u"," + zebra.driver + u"," + zebra.port);
    EXPECT_EQ(printers.defaultPrinterName(), u"vtWinZebra");
    // Driver and port may be empty, each still after its comma.
    printers.writeDefaultDeviceEntry(u"vtWinOffice,,");
    EXPECT_EQ(printers.defaultPrinterName(), u"vtWinOffice");
}

TEST(SpoolerPrinters, AnEntryHoldingAZeroIsRefused) {
    SpoolerPrinters printers;
    try {
        printers.writeDefaultDeviceEntry(std::u16string(u"vtWinZebra\0,x,y", 15));
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot make 'vtWinZebra", 0), 0u) << e.what();
    }
    EXPECT_EQ(printers.defaultPrinterName(), u"vtWinOffice");
}

}  // namespace
}  // namespace veltrane::platform::win32
