#pragma once
// How long a switch takes in the real tool, from the click on Enable to the result prompt,
// and its floor: the same reg command through the command runner, pacing included.

#include <vector>

#include "Figures.h"

namespace bench {

struct SwitchRuns {
    std::vector<double> enableMs;  // one per timed Enable
    bool allSucceeded = true;      // every result prompt told of success
    ProcessFigures afterStart;     // the tool's own figures, read from outside
    ProcessFigures afterSwitches;
};

// Starts the tool once and times `runs` Enables; an untimed Disable (with its question)
// comes before each, so the runs do not depend on the value found in the registry.
SwitchRuns TimeSwitches(int runs);

// `runs` timings of the Enable command line through RunCommand, in this process.
std::vector<double> TimeCommandRunner(int runs);

}  // namespace bench
