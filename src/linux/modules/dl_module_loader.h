#pragma once
// Modules through the dynamic linker.

#include "linux/modules/module_loader.h"

namespace veltrane::platform::modules {

class DlModuleLoader final : public ModuleLoader {
public:
    // Symbols stay local to the module (RTLD_LOCAL), so two modules never resolve each other's names by accident.
    Handle load(const std::string& path, std::string& error) override;
    void* symbol(Handle module, const char* name, std::string& error) override;
};

}  // namespace veltrane::platform::modules
