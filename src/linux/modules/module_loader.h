#pragma once
// Modules loaded at run time: the window, the browser engine and the printer system cost start-up time and
// memory, so the program loads each only when it is first needed.

#include <string>

namespace veltrane::platform {

class ModuleLoader {
public:
    using Handle = void*;

    virtual ~ModuleLoader() = default;
    // Loads the module at path, or finds it already loaded. Modules are never unloaded: the toolkits loaded
    // this way keep threads and state for the life of the process. nullptr, with the system's reason in error,
    // when it cannot be loaded.
    virtual Handle load(const std::string& path, std::string& error) = 0;
    // The address of an exported symbol; nullptr, with the reason in error, when the module has none.
    virtual void* symbol(Handle module, const char* name, std::string& error) = 0;

    // The exported function name of type F (a function type), or nullptr as symbol.
    template <class F>
    F* function(Handle module, const char* name, std::string& error) {
        return reinterpret_cast<F*>(symbol(module, name, error));
    }
};

}  // namespace veltrane::platform
