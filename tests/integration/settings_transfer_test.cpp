#include "linux/posix/settings_transfer_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "base/text.h"
#include "settings/settings_store.h"
#include "settings/settings_transfer.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/utf16le_bytes.h"

namespace veltrane::platform::posix {
namespace {

namespace fs = std::filesystem;
using settings::SettingsStore;

using testing::readFile;
using testing::utf16le;
using testing::writeFile;

class SettingsTransferTest : public ::testing::Test {
protected:
    std::string storePath(const std::string& name) {
        return root_ + "/" + name + "/veltrane-client-tools/registry.reg";
    }

    testing::TempDir dir_;
    std::string root_ = dir_.path().string();
};

TEST_F(SettingsTransferTest, ExportedSettingsImportIntoAnotherStoreUnchanged) {
    RegistryFile source(storePath("a"));
    SettingsStore store(source);
    store.writeSetting(u"server_ip", u"10.0.0.5");
    store.writeSetting(u"dexis_program", u"C:\\Dexis\\");
    store.writeSetting(u"note", u"first line\r\nsecond line " + std::u16string(200, u'x'));
    SettingsStore(source, u"\\Software\\Microsoft\\Internet Explorer\\PageSetup").writeSetting(u"header", u"&w");

    const std::string exported = root_ + "/export.reg";
    exportSettings(source, exported);
    const std::string text = readFile(exported);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n", 0),
              0u);
    EXPECT_EQ(text.find("PageSetup"), std::string::npos) << "only the program's key is exported";

    RegistryFile target(storePath("b"));
    SettingsStore(target).writeSetting(u"receipt_printer", u"kept");
    std::ostringstream notes;
    const auto summary = importSettings(target, exported, notes);
    EXPECT_EQ(summary.valuesImported, 3u);
    EXPECT_TRUE(summary.ignoredKeys.empty());
    EXPECT_EQ(notes.str(), "");
    SettingsStore imported(target);
    for (const auto* name : {u"server_ip", u"dexis_program", u"note"}) {
        EXPECT_EQ(imported.readSetting(name), store.readSetting(name)) << utf16ToUtf8(name);
    }
    EXPECT_EQ(imported.readSetting(u"receipt_printer"), u"kept") << "values missing from the file are kept";
}

TEST_F(SettingsTransferTest, ImportTakesOnlyTheProgramsKeyAndNamesTheOthers) {
    const std::string file = root_ + "/from-windows.reg";
    writeFile(file, utf16le(u"Windows Registry Editor Version 5.00\r\n\r\n"
                            u"[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"apptcard_printer\"=\"Zebra\"\r\n"
                            u"\"dicom_idpad\"=\"8\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane\\Sub]\r\n"
                            u"\"x\"=\"1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Veltrane]\r\n\"y\"=\"2\"\r\n"));
    RegistryFile store(storePath("s"));
    std::ostringstream notes;
    const auto summary = importSettings(store, file, notes);
    EXPECT_EQ(summary.valuesImported, 2u);
    EXPECT_EQ(summary.ignoredKeys, (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Veltrane\\Sub",
                                                             "HKEY_LOCAL_MACHINE\\Software\\Veltrane"}));
    EXPECT_NE(notes.str().find("Ignored [HKEY_LOCAL_MACHINE\\Software\\Veltrane] in " + file), std::string::npos);
    EXPECT_EQ(SettingsStore(store).readSetting(u"dicom_idpad"), u"8");
    EXPECT_EQ(store.openKey(u"\\Software\\Veltrane\\Sub", false), nullptr);
}

TEST_F(SettingsTransferTest, ABadImportChangesNothing) {
    RegistryFile store(storePath("s"));
    SettingsStore(store).writeSetting(u"server_ip", u"old");
    const std::string before = readFile(store.filePath());
    struct Case {
        std::string body;
        std::string message;  // after "Import file <path>"
    };
    const Case cases[] = {
        {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
         "\"server_ip\"=\"new\"\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"c\"=hex:zz\r\n",
         ", line 7: bad hex byte \"zz\""},
        {"Windows Registry Editor Version "
         "5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"server_ip\"=\"new\"\r\n",
         " has no [HKEY_CURRENT_USER\\Software\\Veltrane] key; nothing was imported"},
        {"", ", line 1: the file is empty; expected the header line \"Windows Registry Editor Version 5.00\""},
    };
    const std::string file = root_ + "/import.reg";
    for (const auto& c : cases) {
        writeFile(file, c.body);
        std::ostringstream notes;
        try {
            importSettings(store, file, notes);
            ADD_FAILURE() << "imported " << c.body;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Import file " + file + c.message);
        }
        EXPECT_EQ(readFile(store.filePath()), before);
    }
    try {
        importSettings(store, root_ + "/missing.reg", std::cerr);
        ADD_FAILURE() << "imported a missing file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Import file " + root_ + "/missing.reg cannot be read: No such file or directory");
    }
}

TEST_F(SettingsTransferTest, AStoreThatCannotBeWrittenOrReadStopsTheTransfer) {
    RegistryFile store(storePath("s"));
    SettingsStore(store).writeSetting(u"server_ip", u"old");
    const std::string good = root_ + "/good.reg";
    writeFile(good,
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
              "\"server_ip\"=\"new\"\r\n");
    ::chmod(store.filePath().c_str(), 0400);
    std::ostringstream notes;
    EXPECT_THROW(importSettings(store, good, notes), Error);
    ::chmod(store.filePath().c_str(), 0600);
    EXPECT_EQ(SettingsStore(store).readSetting(u"server_ip"), u"old");

    writeFile(store.filePath(), "not a registry file\r\n");
    for (const auto& transfer : {std::function<void()>([&] { importSettings(store, good, notes); }),
                                 std::function<void()>([&] { exportSettings(store, root_ + "/out.reg"); })}) {
        try {
            transfer();
            ADD_FAILURE() << "a broken store was used";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Settings file " + store.filePath() +
                                                 ", line 1: expected the header line \"Windows Registry Editor Version "
                                                 "5.00\"");
        }
    }
    EXPECT_EQ(readFile(store.filePath()), "not a registry file\r\n");
    EXPECT_FALSE(fs::exists(root_ + "/out.reg"));
}

// A settings file the administrator made read-only is still exported whole, and in regedit's encoding too.
TEST_F(SettingsTransferTest, AReadOnlyStoreExportsItsValuesInEitherEncoding) {
    RegistryFile store(storePath("managed"));
    SettingsStore(store).writeSetting(u"server_ip", u"10.0.0.9");
    ::chmod(store.filePath().c_str(), 0400);
    const std::string utf8 = root_ + "/utf8.reg", utf16 = root_ + "/utf16.reg";
    exportSettings(store, utf8);
    exportSettings(store, utf16, settings::RegFileEncoding::Utf16LeBom);
    EXPECT_NE(readFile(utf8).find("\"server_ip\"=\"10.0.0.9\"\r\n"), std::string::npos) << readFile(utf8);
    EXPECT_EQ(readFile(utf16), utf16le(utf8ToUtf16(readFile(utf8))));

    RegistryFile target(storePath("b"));
    std::ostringstream notes;
    EXPECT_EQ(importSettings(target, utf16, notes).valuesImported, 1u);
    EXPECT_EQ(SettingsStore(target).readSetting(u"server_ip"), u"10.0.0.9");
}

TEST_F(SettingsTransferTest, ExportWithoutSettingsWritesAnEmptyKeyAndReportsUnwritableTargets) {
    RegistryFile store(storePath("never-used"));
    const std::string out = root_ + "/empty.reg";
    exportSettings(store, out);
    EXPECT_EQ(readFile(out),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n");
    EXPECT_FALSE(fs::exists(store.filePath())) << "exporting creates no settings file";
    try {
        exportSettings(store, root_ + "/no/such/folder/x.reg");
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot write settings export " + root_ + "/no/such/folder/x.reg: No such file or directory");
    }
}

}  // namespace
}  // namespace veltrane::platform::posix
