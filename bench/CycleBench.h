#pragma once
// Resource discipline of the drawn windows, in this process: a panel laid out as the
// tool's, its big buttons hovered, pressed and repainted with real mouse input, then a
// prompt shown and answered again and again; live GDI objects and kernel handles are
// counted around each.

#include <functional>

#include "Figures.h"

namespace bench {

struct Growth {
    int gdiBefore = 0;
    int gdiAfter = 0;
    long handlesBefore = 0;
    long handlesAfter = 0;
};

struct CycleRuns {
    bool opened = false;  // the panel could be shown
    int unanswered = 0;   // prompts the click missed, closed after a wait instead
    Growth buttons;
    Growth prompts;
    ProcessFigures afterStart;  // the panel shown
    ProcessFigures afterCycles;
};

CycleRuns RunCycles(int buttonCycles, int promptShowings);

}  // namespace bench
