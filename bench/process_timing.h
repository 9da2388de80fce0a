#pragma once
// Shared by the benchmarks: run a program to its end and take its wall time and peak RSS.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

struct Run {
    double millis;
    long peakRssKb;
};

// Runs argv with exactly the environment env and waits for it; a failing run ends the benchmark.
inline Run runOnce(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
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

// The median wall time and the highest peak RSS of the runs.
inline Run median(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.millis < b.millis; });
    long rss = 0;
    for (auto& r : runs) rss = std::max(rss, r.peakRssKb);
    return {runs[runs.size() / 2].millis, rss};
}

inline void printComparison(const char* title, int iterations, const Run& program, const Run& bare) {
    std::printf("%s, median of %d runs\n", title, iterations);
    std::printf("  veltrane-client-tools: %8.2f ms  peak RSS %6ld KiB\n", program.millis, program.peakRssKb);
    std::printf("  bare C++ process:      %8.2f ms  peak RSS %6ld KiB\n", bare.millis, bare.peakRssKb);
    std::printf("  ratio:                 %8.2f x   RSS %6.2f x\n", program.millis / bare.millis,
                static_cast<double>(program.peakRssKb) / static_cast<double>(bare.peakRssKb));
}

}  // namespace bench
