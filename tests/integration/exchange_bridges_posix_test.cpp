// Exchange-file bridges end to end on Linux: each plan is carried out by the bridge executor with the real file,
// code page and launcher backends, and a recorder script stands in for the imaging program.

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "imaging/bridge_executor.h"
#include "imaging/bridges/exchange_file_bridges.h"
#include "linux/posix/iconv_codec.h"
#include "linux/posix/posix_system_info.h"
#include "linux/posix/process_launcher.h"
#include "linux/posix/registry_file.h"
#include "platform/common/dry_run/dry_run_services.h"
#include "posix_test_support.h"
#include "support/file_bytes.h"
#include "support/linux/linux_bundle.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace veltrane::imaging {
namespace {

namespace fs = std::filesystem;
using veltrane::testing::readFile;
using veltrane::testing::runInChild;
using veltrane::testing::TempDir;
using veltrane::testing::waitFor;
using veltrane::testing::writeFile;

// The real launcher, counted. At the moment of each launch it also takes what the watched file holds on disk and
// whether this process still has it open, which tells the executor's order apart from the program's start-up time.
class CountingLauncher final : public platform::Launcher {
public:
    int launches = 0;
    std::string watchedFile;
    std::string contentAtLaunch;
    bool openAtLaunch = false;

    void launch(const platform::LaunchRequest& request) override {
        ++launches;
        if (!watchedFile.empty()) {
            contentAtLaunch = readFile(watchedFile);
            for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
                std::error_code ignored;
                if (fs::read_symlink(fd.path(), ignored) == watchedFile) openAtLaunch = true;
            }
        }
        real_.launch(request);
    }

private:
    platform::posix::PosixLauncher real_;
};

// The Linux services with the launcher counted. The executor never touches the settings key (the bridge frame
// reads it before the plan is made), so there are none.
struct BridgeHost {
    CountingLauncher launcher;
    testing::LinuxBundle services{{.launcher = &launcher}};
    std::vector<std::u16string> memo;

    // The bridge's plan for patient, carried out; throws what the executor throws.
    BridgePlan run(const BridgeDefinition& bridge, const BridgeSettings& settings, const PatientRecord& patient) {
        BridgeContext context{services.ansi, u"WS01", {2024, 3, 5, 14, 7, 9, 0}};
        BridgePlan plan = bridge.plan(settings, patient, context);
        executePlan(plan, bridge.shortName, services.bundle, memo);
        return plan;
    }
};

const PatientRecord kSmith{u"1234", u"John", u"Smith", u"19800521", u"M", u"Dr"};

// An imaging program: copies the exchange file as it finds it at start, notes whether the writer still holds it
// open and records its arguments; the record appears (by rename) only when all of it is written.
void installRecorder(const std::string& programPath, const std::string& exchangeFile, const std::string& out) {
    writeFile(programPath,
              "#!/bin/sh\n"
              "cp '" +
                  exchangeFile + "' '" + out +
                  ".file' 2>/dev/null\n"
                  "open=no\n"
                  "for fd in /proc/" +
                  std::to_string(::getpid()) +
                  "/fd/*; do\n"
                  "  [ \"$(readlink \"$fd\")\" = '" +
                  exchangeFile +
                  "' ] && open=yes\n"
                  "done\n"
                  "{ for a in \"$@\"; do printf 'arg %s\\n' \"$a\"; done; echo \"open $open\"; } > '" +
                  out +
                  ".tmp'\n"
                  "mv '" +
                  out + ".tmp' '" + out + "'\n");
    fs::permissions(programPath, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

struct Bridge {
    const BridgeDefinition* bridge;
    const char* programSetting;
    const char* fileSetting;  // nullptr: the file goes into the program folder
    const char* program;
    const char* exchangeFile;
    const char* arguments;  // what the program is given, with <file> for the exchange file's path
};

const Bridge kLaunching[] = {
    {&kScanoraBridge, "scanora_program", "scanora_images", "SCANORA.exe", "SCANORA.ini", ""},
    {&kCliniviewBridge, "cliniview_program", "cliniview_images", "CLINIVIEW.exe", "CLINIVIEW.ini", ""},
    {&kSironaBridge, "sirona_program", "sirona_images", "sidexis.exe", "sidexis.sdx", ""},
    {&kEasydentBridge, "easydent_program", nullptr, "EasyDent4.exe", "linkage.xml", ""},
    {&kEzdentiBridge, "ezdenti_program", nullptr, "VTEzDent-iLoader32.exe", "linkage.xml", ""},
    {&kIcatRegBridge, "icat_program", "icat_images", "VisionConnect.exe", "patimport.ini", "arg <file>\n"},
    {&kIcatViewBridge, "icatview_program", "icatview_images", "VisionConnect.exe", "patimport.ini", "arg <file>\n"},
    {&kDexisBridge, "dexis_program", nullptr, "dexis.exe", "InfoFile.txt", "arg @<file>\n"},
    {&kDbswinBridge, "dbswin_program", "dbswin_images", "dbswin.exe", "patimport.txt", ""},
    {&kIdixelBridge, "idixel_program", nullptr, "ToiVIEW.exe", "ToiVIEW.txt", ""},
};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

TEST(ExchangeBridgesOnLinux, FileIsCompleteAndClosedWhenTheProgramStarts) {
    for (const auto& b : kLaunching) {
        SCOPED_TRACE(b.program);
        TempDir dir;
        const std::string root = fs::canonical(dir.path()).string();
        const std::string programFolder = root + "/program/";
        const std::string fileFolder = b.fileSetting ? root + "/exchange/" : programFolder;
        fs::create_directories(programFolder);
        fs::create_directories(fileFolder);
        const std::string exchangeFile = fileFolder + b.exchangeFile;
        const std::string record = root + "/started";
        installRecorder(programFolder + b.program, exchangeFile, record);
        writeFile(exchangeFile, std::string(5000, 'x'));  // an older, longer file is replaced, not overwritten

        BridgeSettings settings{{utf8ToUtf16(b.programSetting), utf8ToUtf16(programFolder)}};
        if (b.fileSetting) settings[utf8ToUtf16(b.fileSetting)] = utf8ToUtf16(fileFolder);
        BridgeHost host;
        host.launcher.watchedFile = exchangeFile;
        const BridgePlan plan = host.run(*b.bridge, settings, kSmith);
        EXPECT_EQ(host.launcher.contentAtLaunch, plan.file->bytes);
        EXPECT_FALSE(host.launcher.openAtLaunch);

        EXPECT_EQ(readFile(exchangeFile), plan.file->bytes);
        ASSERT_TRUE(waitFor([&] { return fs::exists(record); })) << "the imaging program did not start";
        EXPECT_EQ(readFile(record + ".file"), plan.file->bytes) << "the program found the file incomplete";
        EXPECT_EQ(readFile(record), replaced(b.arguments, "<file>", exchangeFile) + "open no\n");
        EXPECT_EQ(host.launcher.launches, 1);
    }
}

TEST(ExchangeBridgesOnLinux, IntegratorWritesItsFileAndStartsNothing) {
    TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/";
    BridgeHost host;
    host.run(kIntegratorBridge, {{u"integrator_program", utf8ToUtf16(folder)}}, kSmith);
    EXPECT_EQ(readFile(folder + "patinfo.txt"), "PN=1234\r\nLN=Smith\r\nFN=John\r\nBD=19800521\r\nSX=M\r\n");
    EXPECT_EQ(host.launcher.launches, 0);
}

TEST(ExchangeBridgesOnLinux, NamesAreWrittenInTheWindowsCodePageWithBestFit) {
    TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/";
    const PatientRecord patient{u"山1", u"Łucja", u"Müller", u"19800521", u"F", u""};
    BridgeHost host;  // code page 1252; the Integrator bridge starts no program
    host.run(kIntegratorBridge, {{u"integrator_program", utf8ToUtf16(folder)}}, patient);
    EXPECT_EQ(readFile(folder + "patinfo.txt"), "PN=?1\r\nLN=M\xFCller\r\nFN=Lucja\r\nBD=19800521\r\nSX=F\r\n");
}

// Under a code page with two-byte characters the Sidexis length counts the bytes written, so records parse back.
TEST(ExchangeBridgesOnLinux, SidexisRecordsKeepTheirFramingUnderMultiByteCodePages) {
    platform::posix::IconvAnsiCodec shiftJis(932);
    platform::posix::IconvAnsiCodec centralEurope(1250);
    const PatientRecord patient{u"1", u"Łucja", u"山田", u"19800521", u"F", u""};
    BridgeContext japanese{shiftJis, u"WS01", {2024, 3, 5, 14, 7, 9, 0}};
    std::vector<std::string> bodies;
    ASSERT_TRUE(parseSidexisRecords(kSironaBridge.plan({}, patient, japanese).file->bytes, &bodies));
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[0].substr(0, 7), std::string("U\0\x8E\x52\x93\x63\0", 7));

    BridgeContext polish{centralEurope, u"WS01", {2024, 3, 5, 14, 7, 9, 0}};
    const std::string polishFile = kSironaBridge.plan({}, patient, polish).file->bytes;
    EXPECT_NE(polishFile.find(std::string("\0\xA3"
                                          "ucja\0",
                                          7)),
              std::string::npos);
}

// The whole run as the program makes it: the patient from a request file, the settings from the settings file,
// the bridge frame, the executor and the Linux backends.
TEST(ExchangeBridgesOnLinux, ImagesRequestRunsTheBridgeThroughTheFrame) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    const std::string program = root + "/sidexis/";
    const std::string pdata = root + "/pdata/";
    fs::create_directories(program);
    fs::create_directories(pdata);
    const std::string record = root + "/started";
    installRecorder(program + "sidexis.exe", pdata + "sidexis.sdx", record);
    writeFile(root + "/request.ini",
              "[settings]\r\naction=images\r\npatient_id=42\r\nforenames=John\r\nsurname=Smith\r\n"
              "dob=19800521\r\ngender=F\r\n[imaging]\r\nSIRONA=1234\r\n");
    auto writeSettings = [&](const std::string& images) {
        writeFile(root + "/settings.reg",
                  "Windows Registry Editor Version 5.00\r\n\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
                  "\"sirona_program\"=\"" +
                      program +
                      "\"\r\n"
                      "\"sirona_images\"=\"" +
                      images + "\"\r\n");
    };

    BridgeHost host;
    platform::posix::RegistryFile settingsFile(root + "/settings.reg");
    platform::Platform withSettings = fakes::makeTestPlatform(host.services.bundle, {.registry = &settingsFile});
    app::TForm1 form(withSettings);
    form.iniFileName = utf8ToUtf16(root + "/request.ini");

    // A folder that does not exist: the error reaches the caller and nothing is started.
    writeSettings(root + "/missing/");
    try {
        form.loadImaging(u"sirona", 0, 1);  // not the last run, so the process is not ended
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File not found\nSidexis: cannot write the exchange file " + root + "/missing/sidexis.sdx");
    }
    EXPECT_EQ(host.launcher.launches, 0);

    writeSettings(pdata);
    form.loadImaging(u"sirona", 0, 1);
    EXPECT_EQ(form.Label4.Caption, u"sirona:1234");
    const std::string bytes = readFile(pdata + "sidexis.sdx");
    std::vector<std::string> bodies;
    ASSERT_TRUE(parseSidexisRecords(bytes, &bodies));
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[1], std::string("N\0Smith\0John\0"
                                     "21.05.1980\0"
                                     "1234\0F\0\0\0\0",
                                     34));
    // The workstation's name as the platform reports it.
    const std::string computer = utf16ToUtf8(platform::posix::PosixSystemInfo().computerName());
    EXPECT_NE(bodies[2].find(std::string(1, '\0') + computer + '\0'), std::string::npos);
    ASSERT_TRUE(waitFor([&] { return fs::exists(record); })) << "Sidexis did not start";
    EXPECT_EQ(readFile(record + ".file"), bytes);
    EXPECT_EQ(readFile(record), "open no\n");
}

// A dry run shows the exchange file with its exact bytes (the Sidexis records hold zero bytes) and the launch,
// and leaves the disk alone.
TEST(ExchangeBridgesOnLinux, DryRunPrintsTheFileWithItsExactBytes) {
    TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/";
    std::ostringstream out;
    platform::dry_run::EffectWriter printer(out);
    BridgeHost host;
    std::ostringstream notes;
    platform::dry_run::DryRunFiles files(printer, notes);
    platform::dry_run::DryRunLauncher launcher(printer);
    platform::Platform dryRun = fakes::makeTestPlatform(host.services.bundle, {.files = &files, .launcher = &launcher});
    BridgeContext context{host.services.ansi, u"WS01", {2024, 3, 5, 14, 7, 9, 0}};
    const BridgePlan plan = kSironaBridge.plan(
        {{u"sirona_program", utf8ToUtf16(folder)}, {u"sirona_images", utf8ToUtf16(folder)}}, kSmith, context);
    executePlan(plan, u"Sidexis", dryRun, host.memo);

    const std::string printed = out.str();
    const std::string expected =
        "{\"effect\":\"file\",\"path\":" + platform::dry_run::jsonString(folder + "sidexis.sdx") +
        ",\"content_base64\":\"" + platform::dry_run::base64(plan.file->bytes) + "\"}\n" +
        "{\"effect\":\"launch\",\"verb\":\"open\",\"file\":" + platform::dry_run::jsonString(folder + "sidexis.exe") +
        ",\"parameters\":\"\",\"directory\":\"\",\"showCommand\":1}\n";
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(plan.file->bytes.size(), 32u + 38u + 57u);
    EXPECT_FALSE(fs::exists(folder + "sidexis.sdx"));
}

// The file layer's own text: the line after it, naming the system and the file, is the executor's.
std::string firstLine(const std::string& message) { return message.substr(0, message.find('\n')); }

// Runs body in a child (where limits, mounts and users may change) and reports "<error>|<launches>".
std::string failureInChild(const std::function<void(BridgeHost&)>& body) {
    return runInChild([&] {
        BridgeHost host;
        std::string error = "no error";
        try {
            body(host);
        } catch (const Error& e) {
            error = firstLine(e.what());
        }
        return error + "|" + std::to_string(host.launcher.launches);
    });
}

TEST(ExchangeBridgesOnLinux, AFileThatCannotBeWrittenStartsNothing) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    const std::string program = root + "/program/";
    fs::create_directories(program);
    const std::string record = root + "/started";
    auto runScanora = [&](const std::string& folder) {
        installRecorder(program + "SCANORA.exe", folder + "SCANORA.ini", record);
        return failureInChild([&](BridgeHost& host) {
            host.run(kScanoraBridge,
                     {{u"scanora_program", utf8ToUtf16(program)}, {u"scanora_images", utf8ToUtf16(folder)}}, kSmith);
        });
    };

    EXPECT_EQ(runScanora(root + "/missing/"), "File not found|0");

    const std::string readOnly = root + "/readonly/";
    fs::create_directories(readOnly);
    writeFile(readOnly + "SCANORA.ini", "old\r\n");
    ::chmod((readOnly + "SCANORA.ini").c_str(), 0444);
    if (::geteuid() == 0) {
        // Permission bits bind root only once it is someone else: the file and its folder belong to that user.
        ::chmod(root.c_str(), 0755);
        ::chown(readOnly.c_str(), 65534, 65534);
        ::chown((readOnly + "SCANORA.ini").c_str(), 65534, 65534);
    }
    const std::string denied = runInChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return std::string("cannot drop privileges");
        }
        BridgeHost host;
        try {
            host.run(kScanoraBridge,
                     {{u"scanora_program", utf8ToUtf16(program)}, {u"scanora_images", utf8ToUtf16(readOnly)}}, kSmith);
        } catch (const Error& e) {
            return firstLine(e.what()) + "|" + std::to_string(host.launcher.launches);
        }
        return std::string("no error");
    });
    EXPECT_EQ(denied, "File access denied|0");
    EXPECT_EQ(readFile(readOnly + "SCANORA.ini"), "old\r\n");

    const std::string limited = root + "/limited/";
    fs::create_directories(limited);
    installRecorder(program + "SCANORA.exe", limited + "SCANORA.ini", record);
    EXPECT_EQ(failureInChild([&](BridgeHost& host) {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{16, 16};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  host.run(kScanoraBridge,
                           {{u"scanora_program", utf8ToUtf16(program)}, {u"scanora_images", utf8ToUtf16(limited)}},
                           kSmith);
              }),
              "Disk full|0");

    const std::string full = root + "/full/";
    fs::create_directories(full);
    installRecorder(program + "SCANORA.exe", full + "SCANORA.ini", record);
    const std::string onFullDisk = failureInChild([&](BridgeHost& host) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=16k") != 0) {
            throw Error(std::string("cannot mount here: ") + std::strerror(errno));
        }
        writeFile(full + "filler", std::string(64 * 1024, 'f'));  // takes all there is
        host.run(kScanoraBridge, {{u"scanora_program", utf8ToUtf16(program)}, {u"scanora_images", utf8ToUtf16(full)}},
                 kSmith);
    });
    // Where no file system can be mounted, the file-size limit above has covered a full disk.
    if (onFullDisk.rfind("cannot mount here", 0) != 0) {
        EXPECT_EQ(onFullDisk, "Disk full|0");
    }

    // A run that does start its program, from a folder of its own: once its record is there, a program that one of
    // the failed runs had started would have written its record too.
    const std::string laterProgram = root + "/later-program/";
    const std::string laterImages = root + "/later-images/";
    fs::create_directories(laterProgram);
    fs::create_directories(laterImages);
    const std::string later = root + "/later";
    installRecorder(laterProgram + "SCANORA.exe", laterImages + "SCANORA.ini", later);
    BridgeHost host;
    host.run(kScanoraBridge,
             {{u"scanora_program", utf8ToUtf16(laterProgram)}, {u"scanora_images", utf8ToUtf16(laterImages)}}, kSmith);
    ASSERT_TRUE(waitFor([&] { return fs::exists(later); })) << "the later run started nothing";
    EXPECT_FALSE(fs::exists(record)) << "an imaging program was started after a failed write";
}

}  // namespace
}  // namespace veltrane::imaging
