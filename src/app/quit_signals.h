#pragma once

namespace vorkel {

class Form1;

// SIGTERM, SIGINT and SIGHUP (a logout, a closed terminal, kill) end the
// program the way Exit does: the port closes, so its lock file goes with it.
void EndOnQuitSignals(Form1& form);

} // namespace vorkel
