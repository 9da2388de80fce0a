#pragma once
// One print at a time among all of this user's print views. The engine prints on the default printer with the
// page setup of its per-user key, both shared by every open print request; so each print takes a per-user lock,
// writes its own printer and page setup, gives the print command, and keeps the lock until the engine has laid
// the print out (its PrintTemplateTeardown), or until a time limit, so a lost event cannot hold every other
// request. Another request's values are not put back afterwards: it writes its own at its own print.

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/browser.h"
#include "platform/printers.h"
#include "platform/running_instances.h"

namespace veltrane::platform::win32 {

class PrintCoordinator {
public:
    struct Limits {
        int holdMs = 30000;   // longest a print keeps the others waiting when the engine never says it is done
        int waitMs = 120000;  // longest a print waits for the others before it gives up and says so
        int retryMs = 100;    // how often a waiting print asks for the lock again
    };
    // On the GUI thread, as window events of the coordinator.
    struct Reports {
        std::function<void(const std::string& printer)> printed;
        std::function<void(const std::string& message)> failed;  // only for a print that had to wait
    };
    // Gives the engine's print command; throws with the reason when there is nothing to print or the engine
    // refuses.
    using Engine = std::function<void()>;

    // lockPath empty: "print.lock" beside the program's other per-user files.
    PrintCoordinator(Printers& printers, std::u16string lockPath, Limits limits, Reports reports);
    ~PrintCoordinator();
    PrintCoordinator(const PrintCoordinator&) = delete;
    PrintCoordinator& operator=(const PrintCoordinator&) = delete;

    // Prints at once when no other print holds the lock (or this one does), and throws when that fails; otherwise
    // the print waits for the lock and reports its outcome. printer empty: the default printer of that moment.
    void print(const PageSetupValues& pageSetup, const std::u16string& printer, Engine engine);
    // The engine has laid out one print (PrintTemplateTeardown): when none is left, the others may print.
    void printDone();

    bool holding() const { return lock_ != nullptr; }
    bool waiting() const { return !waiting_.empty(); }

private:
    struct Job {
        PageSetupValues pageSetup;
        std::u16string printer;
        Engine engine;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ensureWindow();
    std::unique_ptr<InstancesLock> tryLock();
    void run(const Job& job);
    void release();
    void retry();
    void failWaiting(const std::string& message);

    Printers& printers_;
    std::u16string lockPath_;
    Limits limits_;
    Reports reports_;
    HWND window_ = nullptr;
    std::unique_ptr<InstancesLock> lock_;
    int outstanding_ = 0;  // prints given to the engine and not yet laid out
    std::deque<Job> waiting_;
    ULONGLONG waitingSince_ = 0;
};

// Writes a print's page setup to the engine's key: header and footer as they are, a margin as it is, and an empty
// margin (the engine's default) by removing a value that another request set. Throws saying which value failed.
void writeEnginePageSetup(const PageSetupValues& pageSetup);

}  // namespace veltrane::platform::win32
