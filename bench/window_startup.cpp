// Time from starting the program to the first painted frame of its configuration window, and the program's peak
// resident memory. Run it on an X display (e.g. under xvfb-run): window-startup PROGRAM [RUNS]

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/wait_for.h"

namespace {

using Clock = std::chrono::steady_clock;

long peakRssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool mappedFileContains(pid_t pid, const std::string& needle) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(needle) != std::string::npos) return true;
    return false;
}

// A window's pixel at (x, y) once it is painted; the unpainted window reads as 0 on a fresh server.
bool painted(xcb_connection_t* c, xcb_window_t w) {
    auto* reply = xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 300, 300, 1, 1, ~0u), nullptr);
    if (!reply) return false;
    const uint8_t* data = xcb_get_image_data(reply);
    const int length = xcb_get_image_data_length(reply);
    bool any = false;
    for (int i = 0; i < length && i < 3; ++i) any = any || data[i] != 0;
    std::free(reply);
    return any;
}

struct Figures {
    std::vector<double> maps;
    std::vector<double> frames;
    std::vector<long> rss;
    bool browserLoaded = false;
};

// One start of program to its first painted frame; false when it never paints.
bool measureOnce(xcb_connection_t* c, const char* program, Figures& figures) {
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    xcb_window_t window = 0;
    while (!window) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (!event) return false;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
            window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        std::free(event);
    }
    figures.maps.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    // Polled often, so the figure is close to the frame itself; a window that never paints ends the run.
    if (!veltrane::testing::waitFor([&] { return painted(c, window); }, std::chrono::seconds(60),
                                    std::chrono::microseconds(500))) {
        std::fprintf(stderr, "%s: the window was not painted within a minute\n", program);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return false;
    }
    figures.frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let it settle before reading its peak
    figures.rss.push_back(peakRssKb(child));
    figures.browserLoaded = figures.browserLoaded || mappedFileContains(child, "WebEngine");
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // Drain the unmap/destroy events of this run.
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) std::free(event);
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianMiB(std::vector<long> values) {
    std::sort(values.begin(), values.end());
    return static_cast<double>(values[values.size() / 2]) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [RUNS [MINIMAL_WINDOW]]\n", argv[0]);
        return 1;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const char* minimal = argc > 3 ? argv[3] : nullptr;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    // Interleaved, so whatever drifts on the machine weighs on both alike.
    Figures program, bare;
    for (int run = 0; run < runs; ++run) {
        if (!measureOnce(c, argv[1], program)) return 1;
        if (minimal && !measureOnce(c, minimal, bare)) return 1;
    }
    std::sort(program.frames.begin(), program.frames.end());
    std::printf("configuration window, %d runs\n", runs);
    std::printf("  first frame: median %.0f ms (min %.0f, max %.0f)\n", median(program.frames), program.frames.front(),
                program.frames.back());
    std::printf("  mapped:      median %.0f ms\n", median(program.maps));
    std::printf("  peak RSS:    median %.1f MiB\n", medianMiB(program.rss));
    std::printf("  browser engine loaded: %s\n", program.browserLoaded ? "yes" : "no");
    if (minimal) {
        std::printf("  minimal Qt window of the same size and title: mapped %.0f ms, first frame %.0f ms, peak RSS "
                    "%.1f MiB\n",
                    median(bare.maps), median(bare.frames), medianMiB(bare.rss));
        std::printf("  ratio: first frame %.2f x, RSS %.2f x\n", median(program.frames) / median(bare.frames),
                    medianMiB(program.rss) / medianMiB(bare.rss));
    }
    xcb_disconnect(c);
    return 0;
}
