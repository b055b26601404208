#include "Driver/BRIX_Timer.h"

#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"

#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

long fakeNow = 0;
long FakeClock() {
    return fakeNow;
}

// Every test reads the fake clock; no assertion depends on real time.
class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { previous = BRIX_SetTimerClock(FakeClock); }
    void TearDown() override { BRIX_SetTimerClock(previous); }

    // One measurement from `from` to `to` on the fake clock.
    static void Measure(BRIX_Timer& t, long from, long to) {
        fakeNow = from;
        t.Start();
        fakeNow = to;
        t.Stop();
    }

    BRIX_ClockSource previous = nullptr;
};

// What printProfile writes, caught in a buffer in place of standard output.
std::string Report() {
    static char buffer[8192];
    IO_SysOutputString text;
    text.Attach(buffer, sizeof buffer);
    IO_SysOutput* saved = Ex_StdOut().sys;
    Ex_StdOut().AttachSys(&text);
    printProfile();
    Ex_StdOut().AttachSys(saved);
    *text.next = '\0';
    return buffer;
}

// Time measured elsewhere joins the measurement in progress (so its min and
// max see it) or, between measurements, the total alone.
TEST_F(TimerTest, TimeFromElsewhere) {
    BRIX_Timer t("t");
    fakeNow = 0;
    t.Start();
    t.AddElsewhere(700);
    t.AddElsewhere(-5);
    fakeNow = 300;
    t.Stop();
    EXPECT_EQ(t.Total(), 1000);
    EXPECT_EQ(t.Max(), 1000);
    t.AddElsewhere(20);
    EXPECT_EQ(t.Total(), 1020);
    EXPECT_EQ(t.Hits(), 1.0);
}

TEST_F(TimerTest, NestedStartsCountHitsButMeasureTheOutermostInterval) {
    BRIX_Timer t("t");
    fakeNow = 100;
    t.Start();
    fakeNow = 150;
    t.Start();
    fakeNow = 200;
    t.Stop();  // inner: nothing measured yet
    EXPECT_EQ(t.Total(), 0);
    fakeNow = 400;
    t.Stop();
    EXPECT_EQ(t.Hits(), 2.0);
    EXPECT_EQ(t.Total(), 300);
    EXPECT_EQ(t.Min(), 300u);
    EXPECT_EQ(t.Max(), 300);

    Measure(t, 1000, 1010);
    EXPECT_EQ(t.Total(), 310);
    EXPECT_EQ(t.Min(), 10u);
    EXPECT_EQ(t.Max(), 300);

    // A paused stretch is left out of the measurement.
    fakeNow = 2000;
    t.Start();
    fakeNow = 2040;
    t.Pause();
    fakeNow = 9000;
    t.Resume();
    fakeNow = 9002;
    t.Stop();
    EXPECT_EQ(t.Total(), 352);
    EXPECT_EQ(t.Min(), 10u);

    t.Reset();
    EXPECT_EQ(t.Hits(), 0.0);
    EXPECT_EQ(t.Total(), 0);
    EXPECT_EQ(t.Min(), BRIX_Timer::MinSentinel);
}

TEST_F(TimerTest, ClockBehindTheMarkGivesZeroAndSumsStopAtTheLargestCount) {
    BRIX_Timer t("t");
    Measure(t, 1000, 500);
    EXPECT_EQ(t.Total(), 0);
    EXPECT_EQ(t.Min(), 0u);  // the sentinel is compared unsigned
    // The 32-bit clock wraps to a negative count: behind the mark.
    Measure(t, 0x7FFFFFF0L, 0x80000010L);
    EXPECT_EQ(t.Total(), 0);
    // From the most negative count to the most positive: 2^32 - 1 microseconds.
    Measure(t, 0x80000000L, 0x7FFFFFFFL);
    EXPECT_EQ(t.Total(), INT32_MAX);
    EXPECT_EQ(t.Max(), INT32_MAX);
    Measure(t, 0, 7);
    EXPECT_EQ(t.Total(), INT32_MAX);
    EXPECT_EQ(t.Min(), 0u);
}

TEST_F(TimerTest, RegistryListsNewestFirstAndDestroyUnlinks) {
    auto a = std::make_unique<BRIX_Timer>("a");
    auto b = std::make_unique<BRIX_Timer>("b");
    auto c = std::make_unique<BRIX_Timer>("c");
    BRIX_Timer* const older = a->Next();
    EXPECT_EQ(BRIX_Timer::First(), c.get());
    EXPECT_EQ(c->Next(), b.get());
    EXPECT_EQ(b->Next(), a.get());
    b.reset();  // from the middle
    EXPECT_EQ(c->Next(), a.get());
    c.reset();  // the head
    EXPECT_EQ(BRIX_Timer::First(), a.get());
    a.reset();
    EXPECT_EQ(BRIX_Timer::First(), older);
}

TEST_F(TimerTest, AverageMatchesTheDirectQuotient) {
    struct Case {
        std::int32_t total;
        int hits;
    };
    // Cases where the floating-point steps are exact or far from an integer.
    const Case cases[] = {
        {7, 3},         {1999999, 2},    {4000000, 3},      {5000001, 4},
        {INT32_MAX, 1}, {INT32_MAX, 64}, {INT32_MAX, 1000}, {999999, 1000},
    };
    for (const Case& c : cases) {
        BRIX_Timer t("avg");
        // One outermost measurement of the whole total; the nested starts only add hits.
        fakeNow = 0;
        t.Start();
        for (int i = 1; i < c.hits; ++i) {
            t.Start();
            t.Stop();
        }
        fakeNow = c.total;
        t.Stop();
        ASSERT_EQ(t.Total(), c.total);
        EXPECT_EQ(t.Average(), c.total / c.hits) << c.total << " / " << c.hits;
    }
    EXPECT_EQ(BRIX_Timer("unused").Average(), 0);
}

TEST_F(TimerTest, ReportPrintsValueSingleHitAndFullForms) {
    BRIX_Timer several("several");
    Measure(several, 0, 1500000);
    Measure(several, 0, 500000);
    BRIX_Timer once("once");
    Measure(once, 10, 15);
    BRIX_Timer counter("counter");
    counter.AddValue(2.5);
    const std::string expected =
        "\n"
        "Label: `counter'\n"
        "  Value: 2.5\n"
        "Label: `once'\n"
        "  Total: 0.000005\n"
        "Label: `several'\n"
        "  Hits : 2\n"
        "  Total: 2 sec 0 usec\n"
        "  Avg  : 1 sec 0 usec\n"
        "  Min  : 0 sec 500000 usec\n"
        "  Max  : 1 sec 500000 usec\n";
    // Older timers (the named ones, once a test has made them) follow ours.
    const std::string report = Report();
    EXPECT_EQ(report.substr(0, expected.size()), expected);

    Measure(counter, 0, 61000123);
    EXPECT_NE(Report().find("Label: `counter'\n  Total: 61.000123\n"), std::string::npos);
}

// The driver creates "BRIX-Total" before the refinement creates its timer, so
// the report lists the refinement first. Both stay linked until the process exits.
TEST_F(TimerTest, NamedTimersAreCreatedOnceOnFirstUse) {
    BRIX_Timer& total = BRIX_TotalTimer();
    BRIX_Timer& refine = BRIX_RefineTimer();
    EXPECT_EQ(&BRIX_TotalTimer(), &total);
    EXPECT_STREQ(total.Label(), "BRIX-Total");
    EXPECT_STREQ(refine.Label(), "BRIX:Approximate-Refine");
    EXPECT_EQ(BRIX_Timer::First(), &refine);
    EXPECT_EQ(refine.Next(), &total);
}

}  // namespace
