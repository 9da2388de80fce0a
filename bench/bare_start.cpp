// The baseline for the start-up benchmark: a bare C++ process that does the same file work as a start of the
// program that needs no window (read the settings file and the request file, append one log line per step).
#include <fstream>
#include <iostream>
#include <string>

#include "support/file_bytes.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: bare-start SETTINGS_FILE REQUEST_FILE LOG_FILE\n";
        return 2;
    }
    std::size_t bytes = 0;
    for (int step = 0; step < 6; ++step) {  // the program reads the settings afresh for every log line
        bytes += veltrane::testing::readFile(argv[1]).size() + veltrane::testing::readFile(argv[2]).size();
        std::ofstream(argv[3], std::ios::app | std::ios::binary) << "1/1/2026 0:00:01: step\r\n";
    }
    return bytes == 0 ? 1 : 0;
}
