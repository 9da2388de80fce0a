// The toolkit opens its X connection once and gives up (and ends the process) when that one attempt fails. An X
// server that two programs connect to at the same moment refuses a connection now and then (measured: 1 in 20
// under Xvfb), so two print requests started together could lose one of them. This program's own XOpenDisplay
// stands in front of the library's: the toolkit's call comes here, and a refused connection is tried again for a
// couple of seconds before the toolkit hears of it. Compiled into the program itself and exported from it.

#include <dlfcn.h>

#include "linux/modules/display_connection.h"

namespace {

using OpenDisplay = void*(const char*);

OpenDisplay* libraryOpenDisplay() {
    // Loaded by the toolkit before it asks; never loaded here, so a run without a window maps no X library.
    static OpenDisplay* const real = [] {
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<OpenDisplay*>(dlsym(library, "XOpenDisplay")) : nullptr;
    }();
    return real;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* XOpenDisplay(const char* name) {
    OpenDisplay* real = libraryOpenDisplay();
    if (!real) return nullptr;
    return veltrane::platform::modules::retryConnect([&] { return real(name); },
                                                     veltrane::platform::modules::kDisplayConnectTime);
}
