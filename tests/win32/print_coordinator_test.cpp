// Two print requests open at once, each in its own process, share the default printer and the engine's page
// setup. A test engine stands in for the WebBrowser control (which cannot lay out a page here) and records, at the
// moment of its print command, which printer is the default and what the page-setup key holds.
#include "windows/browser/print_coordinator.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"
#include "win32_test_support.h"

namespace veltrane::platform::win32 {
namespace {

using namespace std::chrono_literals;
using testing::deviceEntry;
using testing::Holder;
using testing::lockedElsewhere;
using testing::pumpUntil;
using testing::TempDir;
using testing::TwoPrinters;
using testing::u16path;

constexpr const wchar_t* kPageSetupKey = L"Software\\Microsoft\\Internet Explorer\\PageSetup";
const wchar_t* const kValueNames[] = {L"header",     L"footer",      L"margin_bottom",
                                      L"margin_top", L"margin_left", L"margin_right"};

// A value of the page-setup key; nullopt when absent.
using PageSetupState = std::map<std::wstring, std::optional<std::wstring>>;

PageSetupState pageSetupNow() {
    PageSetupState state;
    for (const wchar_t* name : kValueNames) {
        wchar_t value[256] = {};
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kPageSetupKey, name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
            state[name] = std::wstring(value);
        else
            state[name] = std::nullopt;
    }
    return state;
}

// What another open request left standing: its printer as the default, its page setup in the key.
void standIn(const std::u16string& device, const PageSetupState& state) {
    ASSERT_TRUE(WriteProfileStringW(L"windows", L"device", reinterpret_cast<const wchar_t*>(device.c_str())));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kPageSetupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : state) {
        if (value)
            RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                           static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key, name.c_str());
    }
    RegCloseKey(key);
}

PageSetupValues values(const std::u16string& header, const std::u16string& footer, const std::u16string& bottom,
                       const std::u16string& top, const std::u16string& left, const std::u16string& right) {
    return {header, footer, top, bottom, left, right};
}

// The engine's side: what stood when it was told to print.
struct Seen {
    std::u16string device;
    PageSetupState pageSetup;
};

struct TestEngine {
    std::vector<Seen> seen;
    PrintCoordinator::Engine engine() {
        return [this] { seen.push_back({deviceEntry(), pageSetupNow()}); };
    }
};

struct Reported {
    std::vector<std::string> printed;
    std::vector<std::string> failed;
};

PrintCoordinator::Reports into(Reported& reported) {
    return {[&reported](const std::string& printer) { reported.printed.push_back(printer); },
            [&reported](const std::string& message) { reported.failed.push_back(message); }};
}

const PageSetupState kUserSetup = {{L"header", L"&w&bPage &p"},     {L"footer", L"&u&b&d"},
                                   {L"margin_bottom", L"0.750000"}, {L"margin_top", L"0.750000"},
                                   {L"margin_left", L"0.500000"},   {L"margin_right", L"0.500000"}};
const PageSetupState kCardSetup = {{L"header", L""},      {L"footer", L""},       {L"margin_bottom", L"0"},
                                   {L"margin_top", L"0"}, {L"margin_left", L"0"}, {L"margin_right", L"0"}};

TEST(PrintCoordinator, EachPrintFindsItsOwnPrinterAndPageSetupAtItsCommand) {
    struct Case {
        const char* name;
        std::u16string othersDevice;
        PageSetupState othersSetup;
        std::u16string printer;
        PageSetupValues pageSetup;
        std::u16string device;
        PageSetupState expected;
        std::string printedOn;
    };
    const Case cases[] = {
        {"an appointment card while a receipt is open", u"Laser,winspool,Ne01:", kUserSetup, u"Card Printer",
         values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer,winspool,Ne00:", kCardSetup, "Card Printer"},
        {"a receipt while a card is open",
         u"Card Printer,winspool,Ne00:",
         kCardSetup,
         u"Laser",
         values(u"", u"", u"0.750000", u"0.750000", u"0.500000", u"0.500000"),
         u"Laser,winspool,Ne01:",
         {{L"header", L""},
          {L"footer", L""},
          {L"margin_bottom", L"0.750000"},
          {L"margin_top", L"0.750000"},
          {L"margin_left", L"0.500000"},
          {L"margin_right", L"0.500000"}},
         "Laser"},
        // The user never set margins (or set one empty): the engine's default, not the card's zero.
        {"a receipt of a user with the engine's margins while a card is open",
         u"Card Printer,winspool,Ne00:",
         {{L"header", L""},
          {L"footer", L""},
          {L"margin_bottom", L"0"},
          {L"margin_top", L""},
          {L"margin_left", L"0"},
          {L"margin_right", std::nullopt}},
         u"Laser",
         values(u"", u"", u"", u"", u"", u""),
         u"Laser,winspool,Ne01:",
         {{L"header", L""},
          {L"footer", L""},
          {L"margin_bottom", std::nullopt},
          {L"margin_top", L""},
          {L"margin_left", std::nullopt},
          {L"margin_right", std::nullopt}},
         "Laser"},
        // No printer configured for the type: the default of the moment, with the page setup it was given.
        {"a document type without a printer", u"Card Printer,winspool,Ne00:", kCardSetup, u"",
         values(u"&w&bPage &p", u"&u&b&d", u"0.750000", u"0.750000", u"0.500000", u"0.500000"),
         u"Card Printer,winspool,Ne00:", kUserSetup, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standIn(c.othersDevice, c.othersSetup);
        TempDir dir;
        TwoPrinters printers;
        TestEngine engine;
        Reported reported;
        PrintCoordinator prints(printers, u16path(dir.path() / "print.lock"), {}, into(reported));
        prints.print(c.pageSetup, c.printer, engine.engine());
        ASSERT_EQ(engine.seen.size(), 1u);
        EXPECT_EQ(utf16ToUtf8(engine.seen[0].device), utf16ToUtf8(c.device));
        EXPECT_EQ(engine.seen[0].pageSetup, c.expected);
        ASSERT_EQ(reported.printed.size(), 1u);
        if (!c.printedOn.empty()) {
            EXPECT_EQ(reported.printed[0], c.printedOn);
        }
        EXPECT_TRUE(reported.failed.empty());
    }
}

// Until the engine has laid out every print it was given, no other request may change what it reads.
TEST(PrintCoordinator, TheLockIsHeldUntilTheEngineHasLaidOutEachPrint) {
    TempDir dir;
    const auto lock = dir.path() / "print.lock";
    TwoPrinters printers;
    TestEngine engine;
    Reported reported;
    PrintCoordinator prints(printers, u16path(lock), {}, into(reported));
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", engine.engine());
    EXPECT_TRUE(prints.holding());
    EXPECT_TRUE(lockedElsewhere(lock));
    // Print Again before the first is laid out: given at once, under the same lock.
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", engine.engine());
    EXPECT_EQ(engine.seen.size(), 2u);
    prints.printDone();
    EXPECT_TRUE(lockedElsewhere(lock)) << "released while a print was still being laid out";
    prints.printDone();
    EXPECT_FALSE(lockedElsewhere(lock));
    EXPECT_FALSE(prints.holding());
    prints.printDone();  // one the time limit already gave up on
    EXPECT_FALSE(prints.holding());
}

TEST(PrintCoordinator, ALostTeardownFreesTheLockAtTheTimeLimit) {
    TempDir dir;
    const auto lock = dir.path() / "print.lock";
    TwoPrinters printers;
    TestEngine engine;
    Reported reported;
    PrintCoordinator prints(printers, u16path(lock), {.holdMs = 400}, into(reported));
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", engine.engine());
    EXPECT_TRUE(lockedElsewhere(lock));
    EXPECT_TRUE(pumpUntil([&] { return !lockedElsewhere(lock); }, 20s)) << "the lock was never released";
    EXPECT_FALSE(prints.holding());
}

// Two requests of this user at once: the second print waits for the first's teardown, then finds its own values,
// not the ones the first wrote.
TEST(PrintCoordinator, ASecondPrintWaitsForTheFirstAndThenFindsItsOwnValues) {
    TempDir dir;
    const std::u16string lock = u16path(dir.path() / "print.lock");
    TwoPrinters printers;
    TestEngine cardEngine, receiptEngine;
    Reported cardReported, receiptReported;
    PrintCoordinator card(printers, lock, {}, into(cardReported));
    PrintCoordinator receipt(printers, lock, {}, into(receiptReported));
    standIn(u"Laser,winspool,Ne01:", kUserSetup);

    card.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", cardEngine.engine());
    receipt.print(values(u"", u"", u"0.750000", u"0.750000", u"0.500000", u"0.500000"), u"Laser",
                  receiptEngine.engine());
    EXPECT_TRUE(receipt.waiting());
    // Retries come and go while the card is laid out: none may print.
    EXPECT_FALSE(pumpUntil([&] { return !receiptEngine.seen.empty(); }, 500ms));
    EXPECT_EQ(deviceEntry(), u"Card Printer,winspool,Ne00:");
    EXPECT_EQ(pageSetupNow(), kCardSetup);

    card.printDone();
    ASSERT_TRUE(pumpUntil([&] { return !receiptEngine.seen.empty(); }, 20s)) << "the receipt never printed";
    EXPECT_EQ(receiptEngine.seen[0].device, u"Laser,winspool,Ne01:");
    EXPECT_EQ(receiptEngine.seen[0].pageSetup.at(L"margin_top"), L"0.750000");
    EXPECT_EQ(receiptEngine.seen[0].pageSetup.at(L"margin_left"), L"0.500000");
    EXPECT_EQ(receiptReported.printed, std::vector<std::string>{"Laser"});
    EXPECT_TRUE(receipt.holding());
    EXPECT_FALSE(receipt.waiting());
}

// The other request is another process: the print is given only once that process has let go.
TEST(PrintCoordinator, APrintWaitsForAnotherProcessThatHoldsTheLock) {
    TempDir dir;
    Holder holder(dir, "print.lock");
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.holding()) << "the second process did not take the lock";
    TwoPrinters printers;
    bool markerAtCommand = false;
    int commands = 0;
    Reported reported;
    PrintCoordinator prints(printers, u16path(holder.lock), {}, into(reported));
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", [&] {
        ++commands;
        markerAtCommand = std::filesystem::exists(holder.marker);
    });
    EXPECT_EQ(commands, 0);
    EXPECT_TRUE(prints.waiting());
    // The holder writes its marker before it lets go: a print given under the lock finds it.
    holder.releaseLock();
    ASSERT_TRUE(pumpUntil([&] { return commands > 0; }, 20s)) << "the print never came";
    EXPECT_TRUE(markerAtCommand) << "printed while the other process held the lock";
    EXPECT_EQ(reported.printed, std::vector<std::string>{"Card Printer"});
}

TEST(PrintCoordinator, AWaitThatRunsOutIsReportedAndNothingPrints) {
    TempDir dir;
    Holder holder(dir, "print.lock");
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.holding());
    TwoPrinters printers;
    int commands = 0;
    Reported reported;
    PrintCoordinator prints(printers, u16path(holder.lock), {.waitMs = 300}, into(reported));
    standIn(u"Laser,winspool,Ne01:", kUserSetup);
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", [&] { ++commands; });
    prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), u"Card Printer", [&] { ++commands; });
    ASSERT_TRUE(pumpUntil([&] { return reported.failed.size() == 2; }, 20s));
    EXPECT_EQ(reported.failed[0],
              "The page was not printed: another print request kept the printer and page setup for more than 1 "
              "seconds. Press Print Again to try again");
    EXPECT_EQ(commands, 0);
    EXPECT_FALSE(prints.waiting());
    // Nothing of this print was written while the other held the lock.
    EXPECT_EQ(deviceEntry(), u"Laser,winspool,Ne01:");
    EXPECT_EQ(pageSetupNow(), kUserSetup);
}

// A print that cannot be given says why at once and lets the others print.
TEST(PrintCoordinator, APrintThatFailsSaysWhyAndFreesTheLock) {
    struct Case {
        const char* name;
        std::u16string printer;
        bool engineRefuses;
        std::string message;
        int commands;
    };
    const Case cases[] = {
        {"the engine refuses", u"Laser", true, "The page could not be printed: refused", 1},
        {"the printer is gone", u"Photo Printer", false,
         "The page was not printed: the printer Photo Printer is not installed any more", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto lock = dir.path() / "print.lock";
        standIn(u"Laser,winspool,Ne01:", kUserSetup);
        TwoPrinters printers;
        int commands = 0;
        Reported reported;
        PrintCoordinator prints(printers, u16path(lock), {}, into(reported));
        try {
            prints.print(values(u"", u"", u"0", u"0", u"0", u"0"), c.printer, [&] {
                ++commands;
                if (c.engineRefuses) throw Error("The page could not be printed: refused");
            });
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(commands, c.commands);
        EXPECT_FALSE(lockedElsewhere(lock));
        EXPECT_TRUE(reported.printed.empty());
        if (c.commands == 0) {
            EXPECT_EQ(pageSetupNow(), kUserSetup) << "written for a print that could not be given";
        }
    }
}

}  // namespace
}  // namespace veltrane::platform::win32
