#pragma once

#include "link/exchange.h"

// The fault suite's table: each fault at the step it matters at, with the
// message expected, the state the window ends in, and the time bound.
enum Step { Connect, View, Clear };
enum Click {
    NoClick,
    ClickConnect,
    ClickDisconnect,
    ClickView,
    ClickClear,
    ClickSetup,
    ClickExit,
    ClickEscape,
    ClickAbout
};

// The bounds of a wait, shortened for the suite.
inline const vorkel::LinkLimits SuiteLimits{2000, 3000, 5000, 1000};

// The columns and this part's rows (support/test_parts.h).
void AddFaultRows();
