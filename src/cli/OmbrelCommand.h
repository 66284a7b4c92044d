#pragma once
// One run of ombrel: the command line in, one line out, the exit code back. What it
// touches comes in from outside, so tests can answer for the registry and the volumes.

#include <functional>
#include <string>
#include <vector>

#include "cli/TextOutput.h"
#include "system/EventLog.h"
#include "system/MachineRegistry.h"
#include "system/VolumeProbe.h"

struct OmbrelContext {
    RegistryAccess& registry;
    VolumeProbe& volumes;
    TextOutput& out;
    TextOutput& err;
    std::function<void(const std::wstring&)> log;  // one ASCII line for the switch log
    unsigned long lockWaitMs = 30000;              // for another change to end
    EventWriter report = nullptr;                  // one event per change; none if null
};

// The exit codes scripts and deployment engines read.
enum OmbrelExit {
    kExitDone = 0,
    kExitNotCompliant = 1,
    kExitAccessDenied = 5,
    kExitBadArguments = 87,
    kExitFailed = 1603,
    kExitBusy = 1618,  // another installation is in progress: both engines retry
    kExitRestartNeeded = 3010,
};

int RunOmbrel(const std::vector<std::wstring>& words, OmbrelContext& context);
