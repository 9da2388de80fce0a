// The CUPS backend against a private scheduler with two PDF printers, and the process-liveness check.

#include "linux/cups/cups_printers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "base/error.h"
#include "base/text.h"
#include "linux/cups/cups_print_job.h"
#include "linux/posix/posix_running_instances.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;

// Runs a program from an argument vector and returns its exit status and standard output.
std::pair<int, std::string> run(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe(out) != 0) return {-1, {}};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

const std::string kSandbox = std::string(VELTRANE_SOURCE_DIR) + "/tests/support/cups_sandbox.sh";

class CupsFixture : public ::testing::Test {
protected:
    // The scheduler's folder, for all the suite's tests.
    static inline std::optional<testing::TempDir> sandbox;
    static inline std::string dir;
    static inline bool started = false;

    static void SetUpTestSuite() {
        sandbox.emplace();
        dir = sandbox->path().string();
        const auto [status, env] = run({"bash", kSandbox, "start", dir, "vtOffice", "vtZebra"});
        if (status != 0) return;
        started = true;
        setenv("CUPS_SERVER", (dir + "/run/cups.sock").c_str(), 1);
        setenv("CUPS_SERVERROOT", (dir + "/client").c_str(), 1);
        setenv("HOME", (dir + "/home").c_str(), 1);
    }
    static void TearDownTestSuite() {
        run({"bash", kSandbox, "stop", dir});
        sandbox.reset();
    }
    void SetUp() override {
        if (!started) GTEST_SKIP() << "no private CUPS scheduler (needs root, cupsd and cups-pdf)";
    }
    platform::cups::CupsPrinters printers;
};

TEST_F(CupsFixture, ListsPrintersAndSwitchesTheUsersDefault) {
    EXPECT_EQ(printers.printerNames(), (std::vector<std::u16string>{u"vtOffice", u"vtZebra"}));
    for (const std::u16string name : {u"vtZebra", u"vtOffice", u"vtZebra"}) {
        const auto d = printers.details(name);
        printers.writeDefaultDeviceEntry(d.device + u"," + d.driver + u"," + d.port);
        EXPECT_EQ(printers.defaultPrinterName(), name);
        EXPECT_EQ(platform::cups::defaultPrinter(), utf16ToUtf8(name));
    }
    const std::string all = testing::readFile(dir + "/home/.cups/lpoptions");
    EXPECT_NE(all.find("Default vtZebra"), std::string::npos) << all;
    // Every later client of the user's CUPS sees it.
    EXPECT_NE(run({"lpstat", "-d"}).second.find("vtZebra"), std::string::npos);
}

TEST_F(CupsFixture, FailuresToSwitchAreReportedNotIgnored) {
    try {
        printers.writeDefaultDeviceEntry(u"vtGone,,");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot make 'vtGone' the default printer: it is no longer installed");
    }
    // The user's CUPS folder cannot hold lpoptions (a file stands in its place).
    const fs::path folder = dir + "/home/.cups";
    fs::remove_all(folder);
    testing::writeFile(folder, "x");
    try {
        printers.writeDefaultDeviceEntry(u"vtOffice,,");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot make 'vtOffice' the default printer: ", 0), 0u) << e.what();
    }
    fs::remove(folder);
}

TEST_F(CupsFixture, PrintsAPdfWithItsTextOnTheNamedPrinter) {
    // A one-page PDF with one line of text (offsets of the cross-reference table computed below).
    const std::string content = "BT /F1 24 Tf 72 700 Td (Appointment card 1234) Tj ET";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> "
        ">>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 6\n0000000000 65535 f \n";
    for (auto o : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        pdf += line;
    }
    pdf += "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";

    EXPECT_GT(platform::cups::printPdf("vtOffice", pdf, "card"), 0);
    const fs::path out = dir + "/out/vtOffice";
    std::string text;
    testing::waitFor(
        [&] {
            for (const auto& f : fs::directory_iterator(out)) {
                if (f.path().extension() == ".pdf") text = run({"pdftotext", f.path().string(), "-"}).second;
            }
            return !text.empty();
        },
        std::chrono::seconds(30), std::chrono::milliseconds(100));
    EXPECT_NE(text.find("Appointment card 1234"), std::string::npos) << text;
    EXPECT_TRUE(fs::is_empty(dir + "/out/vtZebra"));

    EXPECT_THROW(platform::cups::printPdf("vtGone", pdf, "card"), Error);
}

TEST(RunningInstances, TellsLiveProcessesFromEndedOnes) {
    platform::posix::ProcRunningInstances instances;
    EXPECT_TRUE(instances.isRunning(instances.selfToken()));

    // A child that has ended: first a zombie, then reaped.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        std::u16string token = instances.selfToken();
        const std::string bytes = utf16ToUtf8(token);
        (void)!write(ready[1], bytes.data(), bytes.size());
        _exit(0);
    }
    close(ready[1]);
    char buffer[256];
    const ssize_t n = read(ready[0], buffer, sizeof buffer);
    close(ready[0]);
    ASSERT_GT(n, 0);
    const std::u16string childToken = utf8ToUtf16(std::string(buffer, static_cast<std::size_t>(n)));
    // Until the child has exited, without reaping it.
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(instances.isRunning(childToken));  // ended, not yet reaped
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(instances.isRunning(childToken));

    const std::string self = utf16ToUtf8(instances.selfToken());
    const std::string pid = self.substr(0, self.find(':'));
    for (const std::string& bad :
         std::vector<std::string>{"", "x", "1", "abc:1:2", pid + ":0:" + self.substr(self.rfind(':') + 1),
                                  pid + self.substr(pid.size(), self.rfind(':') - pid.size()) + ":other-boot"}) {
        EXPECT_FALSE(instances.isRunning(utf8ToUtf16(bad))) << bad;
    }
}

}  // namespace
}  // namespace veltrane
