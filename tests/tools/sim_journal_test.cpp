// The virtual cockpit journal's matching: the oldest unmatched line of a kind, trace texts, and
// what a failed expectation names. Kinds, counts and a long run: tests/scenarios/journal.sim.
#include <gtest/gtest.h>

#include <string>

#include "sim_journal.h"

namespace XPL::SIMTOOL {
namespace {

TEST(SimJournalTest, AnExpectationMatchesTheOldestUnmatchedLineOfItsKind) {
    CSimJournal journal(true);
    journal.Add("cmd once sim/a");
    journal.Add("feature lamp B2 64");
    journal.Add("cmd once sim/b");
    journal.Add("feature tuner 00");
    std::string got;
    // Other kinds do not stand in the way; the newer line of a kind does not match first.
    EXPECT_TRUE(journal.ExpectEvent("feature tuner 00", got));
    EXPECT_FALSE(journal.ExpectEvent("cmd once sim/b", got));
    EXPECT_NE(got.find("\"cmd once sim/a\" (closest: cmd once sim/b"), std::string::npos) << got;
    EXPECT_TRUE(journal.ExpectEvent("cmd once sim/a", got));
    EXPECT_TRUE(journal.ExpectEvent("cmd once sim/b", got));
    EXPECT_FALSE(journal.ExpectEvent("cmd once sim/b", got));
    EXPECT_NE(got.find("no unmatched \"cmd\" line (closest: feature lamp B2 64)"),
              std::string::npos)
        << got;
    journal.Forget();
    EXPECT_FALSE(journal.ExpectEvent("feature lamp B2 64", got));
}

TEST(SimJournalTest, TraceTextsMatchAnywhereAndByPrefix) {
    CSimJournal journal(true);
    journal.Add("trace 3 0x1 >>XPluginStart");
    journal.Add("trace 2 0x40 Button MAV on");
    journal.Add("trace 2 0x40 Button MAV on");
    std::string got;
    EXPECT_TRUE(journal.ExpectTrace("Button MAV on", got));
    EXPECT_TRUE(journal.ExpectTrace("Button*", got));
    EXPECT_FALSE(journal.ExpectTrace("Button*", got));
    EXPECT_NE(got.find("closest: trace 3 0x1 >>XPluginStart"), std::string::npos) << got;
    EXPECT_FALSE(journal.ExpectTrace(">>XPlugin", got));
    EXPECT_TRUE(journal.ExpectTrace("*", got));
    EXPECT_FALSE(journal.ExpectTrace("*", got));
}

// Another thread's trace line landing first does not stand in the way of a full trace line.
TEST(SimJournalTest, AFullTraceLineMatchesTheOldestEqualLine) {
    CSimJournal journal(true);
    journal.Add("trace 3 0x2 <<XPL::CSkydeck::MsgThreadRoutine");
    journal.Add("trace 3 0x1 >>FlightLoop");
    journal.Add("trace 3 0x1 >>FlightLoop");
    std::string got;
    EXPECT_TRUE(journal.ExpectEvent("trace 3 0x1 >>FlightLoop", got));
    EXPECT_FALSE(journal.ExpectEvent("trace 2 0x1 >>FlightLoop", got));
    EXPECT_TRUE(journal.ExpectEvent("trace 3 0x1 >>FlightLoop", got));
    EXPECT_FALSE(journal.ExpectEvent("trace 3 0x1 >>FlightLoop", got));
    EXPECT_NE(got.find("MsgThreadRoutine"), std::string::npos) << got;
}

}  // namespace
}  // namespace XPL::SIMTOOL
