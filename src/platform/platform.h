#pragma once
// The bundle of platform services handed to the core by constructor injection.

#include "platform/ansi_codec.h"
#include "platform/browser.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ini_reader.h"
#include "platform/launcher.h"
#include "platform/locale_info.h"
#include "platform/printers.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/running_instances.h"
#include "platform/known_folders.h"
#include "platform/system_info.h"

namespace veltrane::platform {

struct Platform {
    Registry& registry;
    IniReader& ini;
    FileSystem& files;
    AnsiCodec& ansi;
    Clock& clock;
    LocaleInfo& locale;
    KnownFolders& folders;
    CommandLine& commandLine;
    Printers& printers;
    Launcher& launcher;
    Clipboard& clipboard;
    Dialogs& dialogs;
    Browser& browser;
    Process& process;
    SystemInfo& system;
    RunningInstances& instances;
};

}  // namespace veltrane::platform
