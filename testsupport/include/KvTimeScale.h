// The suite's time factor, alone: for the helper programs and stand-in libraries of the tests that
// link nothing else of testsupport (target testsupport_time). KvTestSupport.h includes it.
#pragma once

#include <windows.h>

#include <cstdlib>

namespace testsupport {

// How much slower than an idle native machine this run is (an emulator, other work beside the
// suite): KV_TEST_SCALE in the environment, which the test command sets from a measured Wine start.
// 1 when unset or below 1. Every deadline of the helpers of KvTestSupport.h is scaled by it already;
// a test that bounds a time itself (an elapsed time from above, a wait of its own) scales it with
// ScaledMs.
inline double TimeScale()
{
    static const double scale = [] {
        const char* text = std::getenv("KV_TEST_SCALE");
        const double value = text ? std::atof(text) : 1.0;
        return value > 1.0 ? value : 1.0;
    }();
    return scale;
}

inline DWORD ScaledMs(DWORD ms)
{
    const double scaled = ms * TimeScale();
    return scaled >= 4.0e9 ? 4000000000u : static_cast<DWORD>(scaled);
}

// GetTickCount advances in steps of up to this much, so two readings of it around a wait of N ms
// can differ by as little as N minus one step: a lower bound on an elapsed time allows one step.
constexpr DWORD kTickStepMs = 16;

}  // namespace testsupport
