// Every test program that links the test support ends at once when any of its
// threads makes an access violation, and says where on its standard error.
// Wine swallows exceptions raised inside window procedures that it calls back
// (it prints "ignoring exception" and goes on), and a test whose dialog
// thread broke that way would otherwise wait for its time limit. At start the
// program prints the base and size of every module it has loaded, so that the
// raw addresses of a report can be placed.
#pragma once

#include <windows.h>

// The exit code of a test program ended by an access violation. A Unix shell
// sees its low byte, 172.
constexpr UINT kAccessViolationExitCode = 0xACCE55AC;
