#include "Driver/BRIX_CommandLine.h"

#include "Driver/BRIX_Registry.h"
#include "Driver/BRIX_Timeout.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Runs the scan on "brix" followed by `arguments`, capturing what it prints.
struct Scan {
    explicit Scan(std::vector<std::string> arguments) : texts(std::move(arguments)) {
        texts.insert(texts.begin(), "brix");
        std::vector<char*> argv;
        for (std::string& text : texts) {
            argv.push_back(text.data());
        }
        argv.push_back(nullptr);
        ::testing::internal::CaptureStdout();
        goesOn = ScanCommandLine(static_cast<int>(texts.size()), argv.data(), options, status);
        output = ::testing::internal::GetCapturedStdout();
    }
    std::vector<std::string> texts;
    BRIX_Options options;
    int status = -1;
    bool goesOn = false;
    std::string output;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        setTimeout(0);
        simplify = BRIX_GetFlag(BRIX_Flag::SimplifyConstraint);
    }
    void TearDown() override {
        setTimeout(0);
        BRIX_SetFlag(BRIX_Flag::SimplifyConstraint, simplify);
    }
    bool simplify = true;
};

TEST_F(CommandLineTest, TogglesInvertEachTimeTheyAppear) {
    const BRIX_Options initial;
    struct Case {
        const char* option;
        bool BRIX_Options::*setting;
    };
    const Case cases[] = {
        {"-s", &BRIX_Options::single},
        {"-is", &BRIX_Options::silentInput},
        {"-cs", &BRIX_Options::silentComputation},
        {"-ob", &BRIX_Options::outputBoxes},
        {"-oq", &BRIX_Options::outputQuantities},
        {"-opf", &BRIX_Options::outputProfile},
        {"-d", &BRIX_Options::display},
        {"-db", &BRIX_Options::displayBorders},
        {"-w", &BRIX_Options::displayWait},
        {"-oj", &BRIX_Options::outputApplet},
        {"-da", &BRIX_Options::displayAdjust},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const Scan once({c.option});
        EXPECT_TRUE(once.goesOn);
        EXPECT_EQ("", once.output);
        EXPECT_NE(initial.*c.setting, once.options.*c.setting);
        const Scan twice({c.option, c.option});
        EXPECT_EQ(initial.*c.setting, twice.options.*c.setting);
        const Scan thrice({c.option, c.option, c.option});
        EXPECT_NE(initial.*c.setting, thrice.options.*c.setting);
    }
    const Scan none({});
    EXPECT_TRUE(none.goesOn);
    EXPECT_TRUE(none.options.outputQuantities);
    EXPECT_TRUE(none.options.outputProfile);
    EXPECT_TRUE(none.options.displayBorders);
    EXPECT_FALSE(none.options.silentComputation);
    EXPECT_EQ(0.5, none.options.errorBound);
    EXPECT_FALSE(none.options.approximateQuantifiers);
}

TEST_F(CommandLineTest, TimeoutWrapsInUnsigned32Bits) {
    struct Case {
        const char* seconds;
        std::uint32_t microseconds;
    };
    const Case cases[] = {
        {"5", 5000000u},
        {"0", 0u},
        {"4294", 4294000000u},
        {"4295", 32704u},
        {"-1", 4293967296u},
        {"7s", 7000000u},
        {"99999999999999999999", static_cast<std::uint32_t>(0xFFFFFFFFu * 1000000u)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        setTimeout(123);
        const Scan scan({"-to", c.seconds});
        EXPECT_TRUE(scan.goesOn);
        EXPECT_EQ(c.microseconds, getTimeout());
    }
    setTimeout(123);
    const Scan bad({"-to", "x", "-ob"});
    EXPECT_EQ("Warning: Parse error for `-to x'.  No timeout set.\n", bad.output);
    EXPECT_EQ(123u, getTimeout());
    EXPECT_TRUE(bad.options.outputBoxes);
    // Without a value the scan ends: nothing after is examined.
    const Scan last({"-ob", "-to"});
    EXPECT_TRUE(last.goesOn);
    EXPECT_EQ(123u, getTimeout());
}

TEST_F(CommandLineTest, ErrorBound) {
    const Scan set({"-e", "0.25"});
    EXPECT_EQ(0.25, set.options.errorBound);
    EXPECT_EQ("", set.output);

    const Scan last({"-e"});
    EXPECT_TRUE(last.goesOn);
    EXPECT_EQ(0.5, last.options.errorBound);
    EXPECT_EQ("Warning: Insufficient number of arguments for `-e'.  Error bound is 0.5.\n",
              last.output);

    const Scan bad({"-e", "0.25", "-e", "abc", "-s"});
    EXPECT_EQ(0.25, bad.options.errorBound);
    EXPECT_TRUE(bad.options.single);
    EXPECT_EQ("Warning: Parse error for `-e abc'.  Error bound is 0.25.\n", bad.output);
}

TEST_F(CommandLineTest, ApproximateQuantifiersEndTheProgramWithoutValue) {
    const Scan set({"-aq", "1e-2", "-s"});
    EXPECT_TRUE(set.goesOn);
    EXPECT_TRUE(set.options.approximateQuantifiers);
    EXPECT_EQ(0x1.47ae147ae147bp-7, set.options.approximationError);
    EXPECT_TRUE(set.options.single);

    const Scan missing({"-aq"});
    EXPECT_FALSE(missing.goesOn);
    EXPECT_EQ(0, missing.status);
    EXPECT_EQ("Warning: Insufficient number of arguments for `-aq\n", missing.output);

    const Scan bad({"-aq", "x", "-unknown"});
    EXPECT_FALSE(bad.goesOn);
    EXPECT_EQ(0, bad.status);
    EXPECT_EQ("Warning: Parse error for `-aq x\n", bad.output);
}

TEST_F(CommandLineTest, RegistryOptionsConsumeTwoArgumentsOrOne) {
    // A later setting wins.
    const Scan twice({"-f", "3", "0", "-f", "3", "1", "-f", "3", "0"});
    EXPECT_TRUE(twice.goesOn);
    EXPECT_FALSE(BRIX_GetFlag(BRIX_Flag::SimplifyConstraint));

    // A failed "-f" still consumes both arguments, even when they look like options.
    const Scan failed({"-f", "-s", "-ob", "-da"});
    EXPECT_TRUE(failed.goesOn);
    EXPECT_FALSE(failed.options.single);
    EXPECT_FALSE(failed.options.outputBoxes);
    EXPECT_TRUE(failed.options.displayAdjust);
    EXPECT_EQ("Warning: Parse error for `-f -s -ob'.  Flag not set.\n", failed.output);

    // With one argument after it, "-f" consumes nothing: that argument is an option again.
    const Scan shortOfOne({"-f", "-ob"});
    EXPECT_TRUE(shortOfOne.goesOn);
    EXPECT_TRUE(shortOfOne.options.outputBoxes);
    EXPECT_EQ("Warning: Insufficient number of arguments for `-f'.  Flag not set.\n",
              shortOfOne.output);

    const Scan unknownAfter({"-p", "3"});
    EXPECT_FALSE(unknownAfter.goesOn);
    EXPECT_EQ(1, unknownAfter.status);
    EXPECT_EQ(0u, unknownAfter.output.find(
                      "Warning: Insufficient number of arguments for `-p'.  Parameter not set.\n"
                      "USAGE:\n  brix [ARGUMENTS]\n"));
}

TEST_F(CommandLineTest, UnknownArgumentStopsTheScan) {
    for (const char* argument : {"-x", "", "-", "s", "-S", "--s", "-oq ", "-f3"}) {
        SCOPED_TRACE(std::string("'") + argument + "'");
        const Scan scan({"-ob", argument, "-s"});
        EXPECT_FALSE(scan.goesOn);
        EXPECT_EQ(1, scan.status);
        EXPECT_TRUE(scan.options.outputBoxes);
        EXPECT_FALSE(scan.options.single);
        EXPECT_EQ(0u, scan.output.find("USAGE:\n  brix [ARGUMENTS]\n\n"));
    }
}

}  // namespace
