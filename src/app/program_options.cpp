#include "app/program_options.h"

#include "app/request_link.h"
#include "base/text.h"
#include "imaging/catalogue.h"

namespace veltrane::app {

namespace {

bool takesValue(const std::string& arg) { return arg == "-s" || arg == "-c" || arg == "-x"; }

bool looksLikeOwnOption(const std::string& arg) {
    return arg.size() > 2 && arg[0] == '-' && arg[1] == '-' &&
           ((arg[2] >= 'a' && arg[2] <= 'z') || (arg[2] >= 'A' && arg[2] <= 'Z'));
}

}  // namespace

std::vector<std::string> splitProgramOptions(const std::vector<std::string>& argv, ProgramOptions& options) {
    std::vector<std::string> args;
    bool valueFollows = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        const bool isValue = i == 0 || valueFollows;
        const std::optional<std::string> requestFile = isValue ? std::nullopt : requestFileArgument(arg);
        if (!isValue && (isRequestLink(arg) || requestFile)) {
            if (!options.link.empty() || !options.requestFile.empty()) {
                options.error = "only one link or request file can be carried out at a time";
                break;
            }
            (requestFile ? options.requestFile : options.link) = requestFile ? *requestFile : arg;
            valueFollows = false;
        } else if (isValue || !looksLikeOwnOption(arg)) {
            args.push_back(arg);
            valueFollows = i > 0 && takesValue(arg);
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--check") {
            options.check = true;
        } else if (arg == "--export-settings" || arg == "--import-settings") {
            if (i + 1 >= argv.size()) {
                options.error = arg + " needs a file name (- for standard output)";
                break;
            }
            (arg == "--export-settings" ? options.exportSettings : options.importSettings) = argv[++i];
        } else {
            options.error = "unknown option " + arg + " (--help lists the options)";
            break;
        }
    }
    if (options.error.empty() && (!options.link.empty() || !options.requestFile.empty())) {
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (takesValue(args[i])) {
                options.error = "a link or request file is carried out on its own, with the stored server; " +
                                args[i] + " cannot come with it";
                break;
            }
        }
    }
    return args;
}

std::string helpText(const std::string& settingsFile, const std::string& logFile) {
    // The short names, wrapped into indented lines.
    std::string systems = "   ";
    std::size_t lineStart = 0;
    for (const auto& system : imaging::kCatalogue) {
        const std::string name = utf16ToUtf8(std::u16string(system.shortName));
        if (systems.size() - lineStart + name.size() + 1 > 100) {
            lineStart = systems.size() + 1;
            systems += "\n   ";
        }
        systems += " " + name;
    }
    return "Usage: veltrane-client-tools [-s SERVER] [-x REQUEST-FILE] [-c CLIENT]\n"
           "       veltrane-client-tools veltrane-client-tools:ACTION?KEY=VALUE&... | FILE.veltrane-request\n"
           "       veltrane-client-tools --dry-run [-s SERVER] -x REQUEST-FILE\n"
           "       veltrane-client-tools --export-settings FILE | --import-settings FILE\n"
           "       veltrane-client-tools --check\n"
           "\n"
           "Carries out a print or images request of the Veltrane practice web application. Without a request\n"
           "file it opens the configuration window (printers, options, imaging systems).\n"
           "\n"
           "Arguments the practice server passes (each takes the argument after it as its value):\n"
           "  -s SERVER    the practice server's address; stored, so later runs without -s use it\n"
           "  -x FILE      the request file to carry out\n"
           "  -c CLIENT    the workstation's address; only listed on the Config page\n"
           "Other arguments are listed on the Config page and otherwise ignored.\n"
           "A link veltrane-client-tools:images?patient_id=1234&surname=... (the request's [settings] keys, and\n"
           "imaging.<system>=<id>; values percent-encoded UTF-8) or a file ending in .veltrane-request runs as -x\n"
           "does, with the stored server.\n"
           "\n"
           "Options of this program:\n"
           "  --dry-run               do the request without starting programs, writing exchange files, touching\n"
           "                          the clipboard or changing printers; print each effect as a JSON line\n"
           "  --export-settings FILE  write the program's settings as a .reg file (- for standard output)\n"
           "  --import-settings FILE  read settings from a .reg file; a bad line changes nothing\n"
           "  --check                 check the set-up: each enabled imaging system's program and exchange folder,\n"
           "                          the printers, the practice server, the shared log; one line each, exit 0\n"
           "                          when all is well, 1 otherwise\n"
           "  --help                  show this text and exit\n"
           "  --version               show the version and exit\n"
           "\n"
           "Request file (ini):\n"
           "  [settings]\n"
           "  action=images | print\n"
           "  type=apptcard | receipt | <document name>   (print)\n"
           "  patient_id=  docs_folder=  forenames=  surname=  dob=YYYYMMDD  gender=  title=\n"
           "  [imaging]\n"
           "  <system>=<patient id>   a different patient ID for one imaging system, one of:\n" +
           systems +
           "\n"
           "\n"
           "Files:\n"
           "  settings      " +
           settingsFile +
           "\n"
           "  activity log  " +
           logFile +
           " (written when \"Write actions to log file\" is on)\n"
           "\n"
           "Exit status: 0 when the request or the window ended normally, 1 for a bad option, a failed settings\n"
           "transfer, a request file that cannot be read or an imaging program that could not be given the patient,\n"
           "2 when the window is needed but cannot be shown.\n";
}

}  // namespace veltrane::app
