#pragma once
// The program's own command-line options (all spelled with two dashes), taken out of the arguments before
// start-up scans what the practice server passed (-s, -c, -x and anything else).

#include <string>
#include <vector>

namespace veltrane::app {

struct ProgramOptions {
    bool dryRun = false;
    bool help = false;
    bool version = false;
    bool check = false;  // --check: report the workstation's set-up instead of running
    std::string exportSettings;  // --export-settings FILE
    std::string importSettings;  // --import-settings FILE
    // What a browser passes: a link of the program's scheme, or a request file (a path ending in
    // .veltrane-request, or a file:// URL to one, decoded to the path). Taken out of the arguments; the program
    // carries either out as -x. At most one of them.
    std::string link;
    std::string requestFile;
    std::string error;           // set when the options cannot be used; nothing else is to run then
};

// Splits argv into the program's own options and the arguments start-up sees (argv[0] first). The argument
// after -s, -c or -x is that option's value, whatever it looks like, so a server address or request file whose
// name starts with two dashes still arrives. An argument that starts with two dashes and a letter and is not
// one of ours is an error: a mistyped --dry-run must not silently carry out the request. A link or request
// file comes alone: with -s, -c or -x beside it (which a link's own text could try to smuggle in) it is an error.
std::vector<std::string> splitProgramOptions(const std::vector<std::string>& argv, ProgramOptions& options);

// The text of --help; settingsFile and logFile are where this run would keep its files.
std::string helpText(const std::string& settingsFile, const std::string& logFile);

}  // namespace veltrane::app
