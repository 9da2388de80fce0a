// Settings export and import as the program runs them, over a file side that records what it was asked to do.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "base/error.h"
#include "fakes/fake_platform.h"
#include "settings/transfer_files.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

class RecordingFiles final : public settings::TransferFiles {
public:
    std::map<std::string, std::string> files;  // what can be read, and what was written
    std::string standardOutput;
    int storePrepared = 0;
    bool refuseStore = false;

    std::string storeLabel() const override { return "The store"; }
    settings::RegFileEncoding exportEncoding() const override { return settings::RegFileEncoding::Utf8; }
    std::string readImportFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) throw Error("Import file " + path + " cannot be read: absent");
        return it->second;
    }
    void prepareStore() override {
        ++storePrepared;
        if (refuseStore) throw Error("The store cannot be created; nothing was imported");
    }
    void writeExportFile(const std::string& path, const std::string& bytes) override { files[path] = bytes; }
    void writeStandardOutput(const std::string& bytes) override { standardOutput += bytes; }
};

struct TransferFixture : ::testing::Test {
    fakes::FakeRegistry registry;
    RecordingFiles files;
    std::ostringstream messages;

    void transfer(const std::string& importPath, const std::string& exportPath) {
        settings::transferSettings(registry, files, importPath, exportPath, messages);
    }
};

TEST_F(TransferFixture, ImportsFirstThenExportsToAFileOrToStandardOutput) {
    registry.setString(kVeltraneKey, u"kept", u"yes");
    files.files["in.reg"] = kHeader + "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"server_ip\"=\"10.0.0.5\"\r\n\r\n" +
                            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"x\"=\"1\"\r\n";
    transfer("in.reg", "out.reg");
    EXPECT_EQ(files.storePrepared, 1);
    EXPECT_EQ(messages.str(),
              "Ignored [HKEY_CURRENT_USER\\Software\\Other] in in.reg: only [HKEY_CURRENT_USER\\Software\\Veltrane] is "
              "imported\nImported 1 settings from in.reg\n");
    const std::string expected = kHeader +
                                 "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"kept\"=\"yes\"\r\n\"server_ip\"="
                                 "\"10.0.0.5\"\r\n\r\n";
    EXPECT_EQ(files.files["out.reg"], expected) << "the export holds what was imported";
    EXPECT_TRUE(files.standardOutput.empty());

    transfer("", "-");
    EXPECT_EQ(files.standardOutput, expected);
    EXPECT_FALSE(files.files.count("-")) << "\"-\" is standard output, never a file of that name";
}

// What the program never reads may hold any type (another tool's value, kept as it is); an empty value of any type
// reads as the empty text, and text may also be an expandable string.
TEST_F(TransferFixture, ValuesTheProgramDoesNotRefuseAreImported) {
    files.files["in.reg"] =
        kHeader +
        "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"flags\"=dword:00000001\r\n\"blob\"=hex:01,02\r\n"
        "\"dicom_idpad\"=hex:\r\n\"dexis_program\"=hex(2):43,00,3a,00,00,00\r\n";
    transfer("in.reg", "");
    EXPECT_EQ(messages.str(), "Imported 4 settings from in.reg\n");
}

TEST_F(TransferFixture, AFailedImportChangesNothingAndExportsNothing) {
    struct Case {
        const char* name;
        std::string file;
        bool refuseStore;
        int storePrepared;  // a bad file is reported before the store is touched
        std::string errorStart;
    };
    const std::string program = "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"server_ip\"=\"10.0.0.5\"\r\n";
    for (const Case& c : {
             Case{"unreadable", "", false, 0, "Import file in.reg cannot be read: absent"},
             Case{"bad line", kHeader + "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\nnonsense\r\n", true, 0,
                  "Import file in.reg"},
             Case{"store refused", kHeader + program, true, 1, "The store cannot be created; nothing was imported"},
             Case{"no program key", kHeader + "[HKEY_CURRENT_USER\\Software\\Other]\r\n", false, 0,
                  "Import file in.reg has no [HKEY_CURRENT_USER\\Software\\Veltrane] key; nothing was imported"},
             // Values the program reads as text, in a type it would refuse at every later request.
             Case{"dword for a text setting", kHeader + program + "\"dicom_idpad\"=dword:00000008\r\n", false, 0,
                  "Import file in.reg, line 5: \"dicom_idpad\" is dword: but the program reads it only as text "
                  "(\"...\"); nothing was imported"},
             Case{"bytes for a text setting, any letter case",
                  kHeader + program + "\"Dexis_Program\"=hex:43,00\r\n\"other\"=\"x\"\r\n", false, 0,
                  "Import file in.reg, line 5: \"Dexis_Program\" is hex: but the program reads it only as text"},
             Case{"a later line for the same name counts",
                  kHeader + program + "\"server_ssl\"=\"True\"\r\n\"server_ssl\"=hex(7):41,00,00,00\r\n", false, 0,
                  "Import file in.reg, line 6: \"server_ssl\" is hex(7):"},
         }) {
        SCOPED_TRACE(c.name);
        registry.keys.clear();
        files = RecordingFiles{};
        if (!c.file.empty()) files.files["in.reg"] = c.file;
        files.refuseStore = c.refuseStore;
        try {
            transfer("in.reg", "out.reg");
            ADD_FAILURE() << "the import was taken";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.errorStart, 0), 0u) << e.what();
        }
        EXPECT_EQ(files.storePrepared, c.storePrepared);
        EXPECT_FALSE(files.files.count("out.reg")) << "nothing is exported after a failed import";
        EXPECT_TRUE(registry.keys.empty());
    }
}

}  // namespace
}  // namespace veltrane
