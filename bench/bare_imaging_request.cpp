// The baseline for the imaging request benchmark: a bare C++ process that reads the same settings file and
// request file, builds the same DentalEye command line and starts the same program detached, then exits.
#include <spawn.h>
#include <unistd.h>

#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_bytes.h"

extern char** environ;

namespace {

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: bare-imaging-request SETTINGS_FILE REQUEST_FILE\n";
        return 2;
    }
    std::map<std::string, std::string> settings, request;
    std::istringstream reg(veltrane::testing::readFile(argv[1]));
    for (std::string line; std::getline(reg, line);) {
        line = trimmed(line);
        const auto eq = line.find("\"=\"");
        if (line.size() > 4 && line[0] == '"' && eq != std::string::npos) {
            settings[line.substr(1, eq - 1)] = line.substr(eq + 3, line.size() - eq - 4);
        }
    }
    std::istringstream ini(veltrane::testing::readFile(argv[2]));
    for (std::string line; std::getline(ini, line);) {
        line = trimmed(line);
        const auto eq = line.find('=');
        if (eq != std::string::npos) request[line.substr(0, eq)] = line.substr(eq + 1);
    }
    if (settings["dentaleye_enabled"] != "True") return 1;
    const std::string program = settings["dentaleye_program"] + "cmdlink.exe";
    std::vector<std::string> args = {program,
                                     "/ID=" + request["patient_id"],
                                     "/FN=" + request["forenames"],
                                     "/LN=" + request["surname"],
                                     "/BD=" + request["dob"],
                                     "/Sex=" + request["gender"]};
    std::vector<char*> argvOut;
    for (auto& a : args) argvOut.push_back(a.data());
    argvOut.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid;
    const int rc = posix_spawn(&pid, program.c_str(), nullptr, &attr, argvOut.data(), environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? 0 : 1;  // not waited for: the program outlives us, as with the real thing
}
