#include "linux/modules/dl_module_loader.h"

#include <dlfcn.h>

namespace veltrane::platform::modules {

ModuleLoader::Handle DlModuleLoader::load(const std::string& path, std::string& error) {
    dlerror();  // a reason left over from an earlier call must not be reported for this one
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : path + ": cannot be loaded";
    }
    return handle;
}

void* DlModuleLoader::symbol(Handle module, const char* name, std::string& error) {
    if (!module) {
        error = std::string("no module to look up ") + name + " in";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(module, name);
    if (!address) {
        const char* why = dlerror();
        error = why ? why : std::string("the module has no ") + name;
    }
    return address;
}

}  // namespace veltrane::platform::modules
