#pragma once

#include <QObject>
#include <QtTest>

// A long test runs as parts side by side: ctest starts it N times with
// VORKEL_TEST_PART=k/N, and each run takes every N-th piece of it (its test
// functions, or the rows of one long table). Unset: all of it.
namespace testparts {

// Whether piece number index (0, 1, 2 ...) belongs to this run.
bool InThisPart(int index);

// Runs the test functions of this part (all of them when the command line names some).
int ExecPart(QObject* test, int argc, char** argv);

} // namespace testparts

// QTEST_MAIN, for a test that runs in parts.
#define VORKEL_TEST_MAIN_IN_PARTS(TestObject)                                                      \
    int main(int argc, char* argv[]) {                                                             \
        QTEST_MAIN_SETUP()                                                                         \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return testparts::ExecPart(&tc, argc, argv);                                               \
    }
