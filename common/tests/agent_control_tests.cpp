// Stopping the Agent through its real named events, against a stand-in that plays the Agent's side.
#include "AgentControl.h"
#include "KvAgentStandIn.h"
#include "KvTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using testsupport::AgentStandIn;

struct StopCase {
    const char* name;
    bool agentRuns;
    int endDelayMs;  // after the close event, for the stand-in
    AgentStopWaits waits;
    AgentStopResult result;
    DWORD atLeastMs;  // the stop takes at least and at most this long
    DWORD atMostMs;
};

const StopCase kStopCases[] = {
    {"no Agent: nothing asked, no pause", false, 0, {1000, 5000}, AgentStopResult::NoneRunning, 0, 500},
    {"the Agent ends at once: the pause is kept", true, 0, {400, 5000}, AgentStopResult::Stopped, 400, 3400},
    {"the Agent ends after the pause: awaited until it is gone",
     true,
     700,
     {100, 5000},
     AgentStopResult::Stopped,
     700,
     3700},
    {"the Agent stays: awaited only up to the limit",
     true,
     AgentStandIn::kNeverEnds,
     {100, 500},
     AgentStopResult::StillRunning,
     600,
     3600},
};

}  // namespace

TEST(AgentControl, StopThroughTheEvents)
{
    for (const StopCase& c : kStopCases) {
        ASSERT_FALSE(AgentIsRunning()) << c.name << ": an Agent runs before the case";
        std::optional<AgentStandIn> agent;
        if (c.agentRuns) {
            agent.emplace(c.endDelayMs);
            ASSERT_TRUE(agent->Holds()) << c.name;
        }
        EXPECT_EQ(AgentIsRunning(), c.agentRuns) << c.name;

        int foundCalls = 0;
        bool signalledWhenFound = false;
        const DWORD start = ::GetTickCount();
        const AgentStopResult result = StopRunningAgent(c.waits, [&] {
            ++foundCalls;
            signalledWhenFound = agent && agent->Signalled();
        });
        const DWORD elapsed = ::GetTickCount() - start;

        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(foundCalls, c.agentRuns ? 1 : 0) << c.name;
        EXPECT_FALSE(signalledWhenFound) << c.name << ": asked before it was told it was found";
        EXPECT_GE(elapsed + testsupport::kTickStepMs, c.atLeastMs) << c.name;
        EXPECT_LT(elapsed, testsupport::ScaledMs(c.atMostMs)) << c.name;
        if (agent) {
            EXPECT_TRUE(agent->Signalled()) << c.name;
            EXPECT_EQ(agent->Ended(), c.result == AgentStopResult::Stopped) << c.name;
        }
        EXPECT_EQ(AgentIsRunning(), c.result == AgentStopResult::StillRunning) << c.name;
    }
    EXPECT_FALSE(AgentIsRunning()) << "the stand-in's events outlived it";
}

TEST(AgentControl, AskToCloseOnlyWhenAnAgentRuns)
{
    ASSERT_FALSE(AgentIsRunning());
    EXPECT_FALSE(AskAgentToClose());
    AgentStandIn agent(0);
    ASSERT_TRUE(agent.Holds());
    EXPECT_TRUE(AskAgentToClose());
    EXPECT_TRUE(agent.WaitEnded(5000));
    EXPECT_TRUE(agent.Signalled());
    EXPECT_FALSE(AgentIsRunning());
}
