#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "imaging/bridges/exchange_file_bridges.h"

namespace veltrane::imaging {
namespace {

std::string crlfLines(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto line : lines) (out += line) += "\r\n";
    return out;
}

const PatientRecord kSmith{u"1234", u"John", u"Smith", u"19800521", u"M", u"Dr"};

struct Case {
    const char* name;
    const BridgeDefinition* bridge;
    BridgeSettings settings;
    PatientRecord patient;
    std::u16string filePath;
    std::string fileBytes;
    std::optional<platform::LaunchRequest> launch;  // file, parameters and show command are checked
};

platform::LaunchRequest start(std::u16string file, std::u16string parameters = u"", int show = platform::kShowNormal) {
    platform::LaunchRequest request;
    request.file = std::move(file);
    request.parameters = std::move(parameters);
    request.showCommand = show;
    return request;
}

std::string interfaceFile(std::string_view id, std::string_view surname, std::string_view forenames,
                          std::string_view birthDate) {
    const std::string patid = "PATID=" + std::string(id), last = "PATLNAME=" + std::string(surname),
                      first = "PATFNAME=" + std::string(forenames), bd = "PATBD=" + std::string(birthDate);
    return crlfLines({"[PracticeManagementInterface]", "CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY = 1",
                      "USE_PRACTICE_MANAGEMENT = 1", patid, last, "PATMNAME=0", first, bd, "PROVIDER1 = 0",
                      "PROVIDER2 = 0", "ADDRESS1 = 0", "ADDRESS2 = 0", "CITY = 0", "STATE = 0", "ZIP = 0",
                      "HOMEPHONE = 0", "WORKPHONE = 0", "EMAIL1 = 0"});
}

const std::string kSmithLinkage = crlfLines(
    {"<LinkageParameter><Patient LastName=\"Smith\" FirstName=\"John\" ChartNumber=\"1234\"><Birthday>21/05/1980"
     "</Birthday><Gender>Male</Gender></Patient></LinkageParameter>"});

std::string icatFile(std::string_view id, std::string_view birthday, std::string_view sex) {
    const std::string patid = "PATID=" + std::string(id), bd = "BIRTHDAY=" + std::string(birthday),
                      sx = "SEX=" + std::string(sex);
    return crlfLines({"[PATIENT]", "BVS=KAVO_3DeXam", "PVS=VELTRANE", patid, "LASTNAME=Smith", "FIRSTNAME=John", bd, sx,
                      "READY=0", "ERRORLEVEL=0"});
}

std::vector<Case> cases() {
    PatientRecord undated = kSmith;
    undated.dob = u"";
    PatientRecord odd = kSmith;
    odd.dob = u"1980-05-21";
    odd.gender = u"U";
    odd.title = u"Prof";
    PatientRecord partial = kSmith;
    partial.dob = u"198005";
    PatientRecord anonymous = kSmith;
    anonymous.patientId = u"";
    anonymous.gender = u"";
    anonymous.dob = u"";
    PatientRecord woman = kSmith;
    woman.gender = u"F";
    woman.dob = u"-1";
    PatientRecord lower = kSmith;
    lower.gender = u"m";
    lower.forenames = u"";
    lower.patientId = u"1234567890123";
    PatientRecord quoted = kSmith;
    quoted.surname = u"O'Brien \"Jr\"";

    return {
        {"scanora worked example",
         &kScanoraBridge,
         {{u"scanora_program", u"/opt/scanora/"}, {u"scanora_images", u"/srv/pm/"}},
         kSmith,
         u"/srv/pm/SCANORA.ini",
         interfaceFile("1234", "Smith", "John", "21/05/1980"),
         start(u"/opt/scanora/SCANORA.exe")},
        {"scanora empty dob, no settings",
         &kScanoraBridge,
         {},
         undated,
         u"SCANORA.ini",
         interfaceFile("1234", "Smith", "John", "//"),
         start(u"SCANORA.exe")},
        {"scanora short dob",
         &kScanoraBridge,
         {},
         partial,
         u"SCANORA.ini",
         interfaceFile("1234", "Smith", "John", "/05/1980"),
         start(u"SCANORA.exe")},
        {"scanora dob cut by position, gender and title never written",
         &kScanoraBridge,
         {},
         odd,
         u"SCANORA.ini",
         interfaceFile("1234", "Smith", "John", "5-/-0/1980"),
         start(u"SCANORA.exe")},
        {"scanora folder without delimiter is not repaired",
         &kScanoraBridge,
         {{u"scanora_program", u"/opt/scanora"}, {u"scanora_images", u"/srv/pm"}},
         kSmith,
         u"/srv/pmSCANORA.ini",
         interfaceFile("1234", "Smith", "John", "21/05/1980"),
         start(u"/opt/scanoraSCANORA.exe")},
        {"cliniview writes the same lines under its own names",
         &kCliniviewBridge,
         {{u"cliniview_program", u"/opt/cv/"}, {u"cliniview_images", u"/srv/cv/"}, {u"scanora_images", u"/x/"}},
         kSmith,
         u"/srv/cv/CLINIVIEW.ini",
         interfaceFile("1234", "Smith", "John", "21/05/1980"),
         start(u"/opt/cv/CLINIVIEW.exe")},

        {"easydent worked example",
         &kEasydentBridge,
         {{u"easydent_program", u"/opt/easy dent/"}},
         kSmith,
         u"/opt/easy dent/linkage.xml",
         kSmithLinkage,
         start(u"/opt/easy dent/EasyDent4.exe")},
        {"ezdenti same line, own program",
         &kEzdentiBridge,
         {{u"ezdenti_program", u"/opt/ez/"}},
         kSmith,
         u"/opt/ez/linkage.xml",
         kSmithLinkage,
         start(u"/opt/ez/VTEzDent-iLoader32.exe")},
        {"linkage female, other and empty sex, empty dob",
         &kEasydentBridge,
         {},
         anonymous,
         u"linkage.xml",
         crlfLines({"<LinkageParameter><Patient LastName=\"Smith\" FirstName=\"John\" ChartNumber=\"\"><Birthday>//"
                    "</Birthday><Gender></Gender></Patient></LinkageParameter>"}),
         start(u"EasyDent4.exe")},
        {"linkage other sex unchanged",
         &kEzdentiBridge,
         {},
         odd,
         u"linkage.xml",
         crlfLines({"<LinkageParameter><Patient LastName=\"Smith\" FirstName=\"John\" ChartNumber=\"1234\"><Birthday>"
                    "5-/-0/1980</Birthday><Gender>U</Gender></Patient></LinkageParameter>"}),
         start(u"VTEzDent-iLoader32.exe")},
        {"linkage female",
         &kEasydentBridge,
         {},
         woman,
         u"linkage.xml",
         crlfLines({"<LinkageParameter><Patient LastName=\"Smith\" FirstName=\"John\" ChartNumber=\"1234\"><Birthday>"
                    "//-1</Birthday><Gender>Female</Gender></Patient></LinkageParameter>"}),
         start(u"EasyDent4.exe")},

        {"icat registration",
         &kIcatRegBridge,
         {{u"icat_program", u"/opt/icat/"}, {u"icat_images", u"/srv/icat import/"}},
         kSmith,
         u"/srv/icat import/patimport.ini",
         icatFile("1234", "19800521", "M"),
         start(u"/opt/icat/VisionConnect.exe", u"/srv/icat import/patimport.ini")},
        {"icat viewer reads its own settings only",
         &kIcatViewBridge,
         {{u"icat_program", u"/opt/icat/"}, {u"icat_images", u"/srv/icat/"}},
         anonymous,
         u"patimport.ini",
         icatFile("", "", ""),
         start(u"VisionConnect.exe", u"patimport.ini")},

        {"dexis worked example",
         &kDexisBridge,
         {{u"dexis_program", u"/opt/dexis/"}},
         kSmith,
         u"/opt/dexis/InfoFile.txt",
         crlfLines({"Smith, John  21/05/1980  (1234)", "PN=1234", "LN=Smith", "FN=John", "BD=21/05/1980", "SX=M"}),
         start(u"/opt/dexis/dexis.exe", u"@/opt/dexis/InfoFile.txt")},
        {"dexis empty id, dob and gender",
         &kDexisBridge,
         {},
         anonymous,
         u"InfoFile.txt",
         crlfLines({"Smith, John  //  ()", "PN=", "LN=Smith", "FN=John", "BD=//", "SX="}),
         start(u"dexis.exe", u"@InfoFile.txt")},
        {"dexis folder with blanks stays unquoted",
         &kDexisBridge,
         {{u"dexis_program", u"/opt/my dexis/"}},
         woman,
         u"/opt/my dexis/InfoFile.txt",
         crlfLines({"Smith, John  //-1  (1234)", "PN=1234", "LN=Smith", "FN=John", "BD=//-1", "SX=F"}),
         start(u"/opt/my dexis/dexis.exe", u"@/opt/my dexis/InfoFile.txt")},
        {"integrator keeps dob and starts nothing",
         &kIntegratorBridge,
         {{u"integrator_program", u"/srv/integrator/"}, {u"dexis_program", u"/opt/dexis/"}},
         kSmith,
         u"/srv/integrator/patinfo.txt",
         crlfLines({"PN=1234", "LN=Smith", "FN=John", "BD=19800521", "SX=M"}),
         std::nullopt},
        {"integrator empty values",
         &kIntegratorBridge,
         {},
         anonymous,
         u"patinfo.txt",
         crlfLines({"PN=", "LN=Smith", "FN=John", "BD=", "SX="}),
         std::nullopt},

        {"dbswin worked example, program folder",
         &kDbswinBridge,
         {{u"dbswin_program", u"/opt/Duerr/DBSWIN/bin/"}, {u"dbswin_images", u"/srv/dbs/"}},
         kSmith,
         u"/srv/dbs/patimport.txt",
         crlfLines({"Smith;John;21.05.1980;1234;;;;;M;;"}),
         start(u"/opt/Duerr/DBSWIN/bin/dbswin.exe", u"", platform::kShow)},
        {"dbswin without id, program file",
         &kDbswinBridge,
         {{u"dbswin_program", u"/opt/DBSWIN/bin/dbswin.exe"}, {u"dbswin_noid", u"True"}},
         kSmith,
         u"patimport.txt",
         crlfLines({"Smith;John;21.05.1980;;;;;;M;;"}),
         start(u"/opt/DBSWIN/bin/dbswin.exe", u"", platform::kShow)},
        {"dbswin noid compared exactly",
         &kDbswinBridge,
         {{u"dbswin_noid", u"true"}},
         kSmith,
         u"patimport.txt",
         crlfLines({"Smith;John;21.05.1980;1234;;;;;M;;"}),
         start(u"dbswin.exe", u"", platform::kShow)},
        {"dbswin empty id equals noid, empty dob two dots",
         &kDbswinBridge,
         {{u"dbswin_noid", u"False"}},
         anonymous,
         u"patimport.txt",
         crlfLines({"Smith;John;..;;;;;;;;"}),
         start(u"dbswin.exe", u"", platform::kShow)},
        {"dbswin upper-case EXE and dotted folder are folders",
         &kDbswinBridge,
         {{u"dbswin_program", u"/opt/dbs.win/DBSWIN.EXE"}},
         kSmith,
         u"patimport.txt",
         crlfLines({"Smith;John;21.05.1980;1234;;;;;M;;"}),
         start(u"/opt/dbs.win/DBSWIN.EXEdbswin.exe", u"", platform::kShow)},
        {"dbswin extension only of the last component",
         &kDbswinBridge,
         {{u"dbswin_program", u"/opt/x.exe/bin/"}},
         kSmith,
         u"patimport.txt",
         crlfLines({"Smith;John;21.05.1980;1234;;;;;M;;"}),
         start(u"/opt/x.exe/bin/dbswin.exe", u"", platform::kShow)},

        {"idixel worked example",
         &kIdixelBridge,
         {{u"idixel_program", u"/opt/idixel/"}},
         kSmith,
         u"/opt/idixel/ToiVIEW.txt",
         crlfLines({"C,000000001234,,,John Smith,1,19800521,"}),
         start(u"/opt/idixel/ToiVIEW.exe")},
        {"idixel female with unknown dob",
         &kIdixelBridge,
         {},
         woman,
         u"ToiVIEW.txt",
         crlfLines({"C,000000001234,,,John Smith,2,,"}),
         start(u"ToiVIEW.exe")},
        {"idixel empty id, empty dob kept",
         &kIdixelBridge,
         {},
         anonymous,
         u"ToiVIEW.txt",
         crlfLines({"C,000000000000,,,John Smith,2,,"}),
         start(u"ToiVIEW.exe")},
        {"idixel long id whole, lower-case m, empty forenames",
         &kIdixelBridge,
         {},
         lower,
         u"ToiVIEW.txt",
         crlfLines({"C,1234567890123,,, Smith,2,19800521,"}),
         start(u"ToiVIEW.exe")},
        {"quotes and apostrophes pass unchanged outside XML",
         &kIdixelBridge,
         {},
         quoted,
         u"ToiVIEW.txt",
         crlfLines({"C,000000001234,,,John O'Brien \"Jr\",1,19800521,"}),
         start(u"ToiVIEW.exe")},
    };
}

TEST(ExchangeFileBridges, PlansMatchTheFormatsByteForByte) {
    fakes::FakeAnsi ansi;
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.name);
        BridgeContext context{ansi, u"WS01", {}};
        const BridgePlan plan = c.bridge->plan(c.settings, c.patient, context);
        ASSERT_TRUE(plan.file.has_value());
        EXPECT_EQ(utf16ToUtf8(plan.file->path), utf16ToUtf8(c.filePath));
        EXPECT_EQ(plan.file->bytes, c.fileBytes);
        ASSERT_EQ(plan.launch.has_value(), c.launch.has_value());
        if (c.launch) {
            EXPECT_EQ(utf16ToUtf8(plan.launch->file), utf16ToUtf8(c.launch->file));
            EXPECT_EQ(utf16ToUtf8(plan.launch->parameters), utf16ToUtf8(c.launch->parameters));
            EXPECT_EQ(plan.launch->showCommand, c.launch->showCommand);
            EXPECT_EQ(plan.launch->verb, u"open");
            EXPECT_EQ(plan.launch->directory, u"");
        }
        EXPECT_FALSE(plan.clipboardText.has_value());
        EXPECT_FALSE(plan.traceLine.has_value());
    }
}

TEST(ExchangeFileBridges, DefinitionsNameTheirSettingsAndOnlyInterfaceFilesTakeTheTitle) {
    struct Row {
        const BridgeDefinition* bridge;
        std::u16string shortName;
        std::vector<std::u16string> settings;
        bool takesTitle;
    };
    const Row rows[] = {
        {&kScanoraBridge, u"scanora", {u"scanora_program", u"scanora_images"}, true},
        {&kCliniviewBridge, u"cliniview", {u"cliniview_program", u"cliniview_images"}, true},
        {&kSironaBridge, u"sirona", {u"sirona_program", u"sirona_images"}, false},
        {&kEasydentBridge, u"easydent", {u"easydent_program"}, false},
        {&kEzdentiBridge, u"ezdenti", {u"ezdenti_program"}, false},
        {&kIcatRegBridge, u"icatreg", {u"icat_program", u"icat_images"}, false},
        {&kIcatViewBridge, u"icatview", {u"icatview_program", u"icatview_images"}, false},
        {&kDexisBridge, u"dexis", {u"dexis_program"}, false},
        {&kIntegratorBridge, u"integrator", {u"integrator_program"}, false},
        {&kDbswinBridge, u"dbswin", {u"dbswin_program", u"dbswin_images", u"dbswin_noid"}, false},
        {&kIdixelBridge, u"idixel", {u"idixel_program"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(utf16ToUtf8(row.shortName));
        EXPECT_EQ(row.bridge->shortName, row.shortName);
        EXPECT_EQ(row.bridge->settingNames, row.settings);
        EXPECT_EQ(row.bridge->takesTitle, row.takesTitle);
        EXPECT_NE(row.bridge->plan, nullptr);
    }
}

TEST(ExchangeFileBridges, ASecondRunReplacesTheWholeFile) {
    fakes::FakeAnsi ansi;
    BridgeContext context{ansi, u"", {}};
    PatientRecord other{u"77", u"Ann", u"Lee", u"19991231", u"F", u""};
    const auto first = kScanoraBridge.plan({}, kSmith, context);
    const auto second = kScanoraBridge.plan({}, other, context);
    EXPECT_EQ(second.file->bytes, interfaceFile("77", "Lee", "Ann", "31/12/1999"));
    EXPECT_EQ(second.file->bytes.find("Smith"), std::string::npos);
    EXPECT_EQ(first.file->path, second.file->path);
}

}  // namespace
}  // namespace veltrane::imaging
