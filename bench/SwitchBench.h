#pragma once
// How long a switch takes in the real tool, from the click on Enable to the result prompt,
// and its floor: the same reg command through the command runner, pacing included.

#include <functional>
#include <vector>

#include "Figures.h"

namespace bench {

struct SwitchRuns {
    PairedRuns enableAndRunner;  // each timed Enable, then the runner's reg add
    bool allSucceeded = true;    // every result prompt told of success
    ProcessFigures afterStart;   // the tool's own figures, read from outside
    ProcessFigures afterSwitches;
};

// Starts the tool once and times `runs` Enables, each followed at once by its floor, the
// Enable command line through RunCommand in this process; an untimed Disable (with its
// question) comes before each, so the runs do not depend on the value in the registry.
// `afterEnable`, when given, learns of each timed Enable the tool's process, the
// performance-counter ticks of the click's release and the ms until the result prompt.
using EnableObserver = std::function<void(DWORD processId, LONGLONG releaseTicks, double ms)>;
SwitchRuns TimeSwitches(int runs, const EnableObserver& afterEnable = nullptr);

}  // namespace bench
