// Times an images request with one enabled command-line bridge (DentalEye, starting a real native program)
// end to end, against a bare C++ process that reads the same files and starts the same program, and prints
// wall time, peak RSS and the ratio.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Run {
    double millis;
    long peakRssKb;
};

Run runOnce(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
        std::perror(args[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s exited with status %d\n", args[0], status);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

Run median(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.millis < b.millis; });
    long rss = 0;
    for (auto& r : runs) rss = std::max(rss, r.peakRssKb);
    return {runs[runs.size() / 2].millis, rss};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: imaging-request-bench PROGRAM BARE_IMAGING_REQUEST [ITERATIONS]\n");
        return 2;
    }
    const int iterations = argc > 3 ? std::max(1, std::atoi(argv[3])) : 30;
    namespace fs = std::filesystem;
    const auto home = fs::temp_directory_path() / ("vct-imaging-bench-" + std::to_string(getpid()));
    const auto config = home / ".config/veltrane-client-tools";
    const auto programs = home / "dentaleye";
    fs::create_directories(config);
    fs::create_directories(home / "shared");
    fs::create_directories(programs);
    // The imaging program: a native program that ends at once, so only the start is measured.
    fs::copy_file("/bin/true", programs / "cmdlink.exe");
    const auto settings = config / "registry.reg";
    std::ofstream(settings) << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"
                               "\"dentaleye_enabled\"=\"True\"\r\n\"dentaleye_program\"=\""
                            << programs.string() << "/\"\r\n";
    const auto request = home / "request.ini";
    std::ofstream(request) << "[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\n"
                              "dob=19800102\r\ngender=F\r\n";
    const std::vector<std::string> env = {"HOME=" + home.string(), "VELTRANE_SHARED_DIR=" + (home / "shared").string(),
                                          "PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
    std::vector<Run> program, bare;
    for (int i = 0; i < iterations; ++i) {
        program.push_back(runOnce({argv[1], "-x", request.string()}, env));
        bare.push_back(runOnce({argv[2], settings.string(), request.string()}, env));
    }
    const Run p = median(program), b = median(bare);
    std::printf("images request, one command-line bridge (DentalEye), median of %d runs\n", iterations);
    std::printf("  veltrane-client-tools: %8.2f ms  peak RSS %6ld KiB\n", p.millis, p.peakRssKb);
    std::printf("  bare C++ process:      %8.2f ms  peak RSS %6ld KiB\n", b.millis, b.peakRssKb);
    std::printf("  ratio:                 %8.2f x   RSS %6.2f x\n", p.millis / b.millis,
                static_cast<double>(p.peakRssKb) / static_cast<double>(b.peakRssKb));
    fs::remove_all(home);
    return 0;
}
