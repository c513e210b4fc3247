#pragma once

// The fixed pauses between requests block the thread on purpose: the event
// loop does not run during them.
namespace vorkel {
void Pause(int milliseconds);
// The fuzzer skips the pauses: its adapter answers at once and its runs must be quick.
void SetPausesSkipped(bool skipped);
// Every fixed pause and every time bound of the program goes through Scaled:
// at factor 1 (always, in the product) the figures stand as specified; tests
// run the same road at a smaller factor (tests/support/time_scale.h).
int Scaled(int milliseconds);
void SetTimeScale(double factor);
double TimeScale();
// One turn of the event loop. With waitForEvents it sleeps until something
// arrives (serial data, a timer, a click) instead of spinning.
void YieldToEventLoop(bool waitForEvents);
} // namespace vorkel
