// Settings export and import over a registry that is not a file: what moves, in which encoding, and what a
// refused write leaves behind.

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/fake_platform.h"
#include "settings/settings_store.h"
#include "settings/settings_transfer.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;
using platform::RegType;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n";

settings::ImportSummary import(fakes::FakeRegistry& registry, std::string_view bytes, std::ostream& notes) {
    return settings::importSettingsText(registry, bytes, "Import file in.reg", "in.reg", "The registry", notes);
}

TEST(SettingsTransferText, ExportsEveryValueOfTheProgramsKeyWithItsType) {
    fakes::FakeRegistry registry;
    registry.setString(kVeltraneKey, u"server_ip", u"10.0.0.5");
    registry.setRaw(kVeltraneKey, u"count", RegType::Dword, {1, 0, 0, 0});
    registry.setString(kVeltraneKey + u"\\PageSetup", u"header", u"&w");  // another key: not exported

    const std::string utf8 = settings::exportSettingsText(registry);
    EXPECT_EQ(utf8, kHeader + "\"count\"=dword:00000001\r\n\"server_ip\"=\"10.0.0.5\"\r\n\r\n");
    // regedit's encoding: the same text, UTF-16LE after a byte-order mark.
    EXPECT_EQ(settings::exportSettingsText(registry, settings::RegFileEncoding::Utf16LeBom),
              settings::utf16LeWithBom(utf8));

    fakes::FakeRegistry empty;
    EXPECT_EQ(settings::exportSettingsText(empty), kHeader + "\r\n") << "a missing key exports as an empty key";
}

TEST(SettingsTransferText, BothEncodingsImportTheSameValues) {
    for (const auto encoding : {settings::RegFileEncoding::Utf8, settings::RegFileEncoding::Utf16LeBom}) {
        fakes::FakeRegistry source;
        source.setString(kVeltraneKey, u"dexis_program", u"C:\\Dexis\\ Łódź");
        source.setRaw(kVeltraneKey, u"flags", RegType::Binary, {0, 0xFF, 7});
        const std::string file = settings::exportSettingsText(source, encoding);

        fakes::FakeRegistry target;
        target.setString(kVeltraneKey, u"receipt_printer", u"kept");
        std::ostringstream notes;
        EXPECT_EQ(import(target, file, notes).valuesImported, 2u);
        EXPECT_EQ(target.getString(kVeltraneKey, u"dexis_program"), u"C:\\Dexis\\ Łódź");
        const auto& flags = target.keys.at(kVeltraneKey).at(u"flags");
        EXPECT_EQ(flags.type, RegType::Binary);
        EXPECT_EQ(flags.data, (std::vector<std::uint8_t>{0, 0xFF, 7}));
        EXPECT_EQ(target.getString(kVeltraneKey, u"receipt_printer"), u"kept");
        EXPECT_EQ(notes.str(), "");
    }
}

TEST(SettingsTransferText, ARefusedOrBadImportSaysSoAndChangesNothing) {
    struct Case {
        std::string bytes;
        bool refuseWrites;
        bool refuseCreate;
        std::string message;
    };
    const Case cases[] = {
        {kHeader + "\"server_ip\"=\"new\"\r\n", true, false, "The fake registry refuses writes; nothing was imported"},
        {kHeader + "\"server_ip\"=\"new\"\r\n", false, true, "The registry cannot be written; nothing was imported"},
        {kHeader + "\"server_ip\"=\"new\"\r\n\"x\"=dword:nothex\r\n", false, false,
         "Import file in.reg, line 5: expected dword: followed by 1 to 8 hex digits"},
        {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"a\"=\"1\"\r\n", false,
         false, "Import file in.reg has no [HKEY_CURRENT_USER\\Software\\Veltrane] key; nothing was imported"},
    };
    for (const auto& c : cases) {
        fakes::FakeRegistry registry;
        registry.refuseWrites = c.refuseWrites;
        registry.refuseCreate = c.refuseCreate;
        if (!c.refuseCreate) registry.setString(kVeltraneKey, u"server_ip", u"old");
        std::ostringstream notes;
        try {
            import(registry, c.bytes, notes);
            ADD_FAILURE() << "imported " << c.bytes;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        if (!c.refuseCreate) {
            EXPECT_EQ(registry.getString(kVeltraneKey, u"server_ip"), u"old");
        }
        EXPECT_TRUE(registry.writeLog.empty());
    }
}

TEST(SettingsTransferText, OtherKeysAreNamedAndLeftOut) {
    fakes::FakeRegistry registry;
    std::ostringstream notes;
    const auto summary = import(registry,
                                kHeader +
                                    "\"a\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
                                    "Explorer\\PageSetup]\r\n\"header\"=\"&w\"\r\n",
                                notes);
    EXPECT_EQ(summary.valuesImported, 1u);
    EXPECT_EQ(summary.ignoredKeys,
              std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup"});
    EXPECT_EQ(notes.str(),
              "Ignored [HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup] in in.reg: only "
              "[HKEY_CURRENT_USER\\Software\\Veltrane] is imported\n");
    EXPECT_FALSE(registry.keys.count(u"\\Software\\Microsoft\\Internet Explorer\\PageSetup"));
}

}  // namespace
}  // namespace veltrane
