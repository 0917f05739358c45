// Polling the engine's cancel flag from the long pixel loops.
#pragma once

#include <algorithm>
#include <cstddef>

#include "Usync.h"

// Each test of the flag waits on an event, which under Wine is a round trip to the server (about
// 20 microseconds, as long as converting some hundred kilobytes of pixels). So a loop over short
// rows asks only once per kBytesPerPoll of work: a cancel still stops it within about a
// millisecond, and the first step always asks.
class CCancelPoll {
public:
    static constexpr size_t kBytesPerPoll = 256 * 1024;

    explicit CCancelPoll(size_t bytesPerStep)
        : m_StepsPerPoll(std::max<size_t>(1, kBytesPerPoll / std::max<size_t>(bytesPerStep, 1)))
    {
    }
    // Called before each step (a row or a column); true once a cancel was requested.
    bool Cancelled()
    {
        if (m_Steps++ % m_StepsPerPoll != 0) return false;
        return g_Synchronization.IsCancelled();
    }

private:
    size_t m_StepsPerPoll;
    size_t m_Steps = 0;
};
