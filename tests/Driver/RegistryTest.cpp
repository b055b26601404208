#include "Driver/BRIX_Registry.h"

#include "System/SAL.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Restores every flag and parameter after each test: the tables are program-wide.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < BRIX_FlagCount; ++i) {
            savedFlags[i] = BRIX_GetFlag(i);
        }
        for (int i = 0; i < BRIX_ParamCount; ++i) {
            savedParams[i] = BRIX_GetParam(i);
        }
    }
    void TearDown() override {
        for (int i = 0; i < BRIX_FlagCount; ++i) {
            BRIX_SetFlag(i, savedFlags[i]);
        }
        for (int i = 0; i < BRIX_ParamCount; ++i) {
            BRIX_SetParam(i, savedParams[i]);
        }
    }
    bool savedFlags[BRIX_FlagCount] = {};
    double savedParams[BRIX_ParamCount] = {};
};

TEST_F(RegistryTest, FlagOption) {
    struct Case {
        const char* flag;
        const char* value;
        const char* warning;  // "" when the flag is set
        bool set;             // the flag's value afterwards, when set
    };
    const Case cases[] = {
        {"3", "0", "", false},
        {"3", "7", "", true},
        {"3", "-0", "", false},
        {"18", "1", "", true},
        {" +3junk", "1abc", "", true},
        {"0", "99999999999999999999", "", true},
        {"19", "1", "Warning: Invalid flag value for `-f 19 1'.  Flag not set.\n", false},
        {"-1", "1", "Warning: Invalid flag value for `-f -1 1'.  Flag not set.\n", false},
        {"+19", " 1", "Warning: Invalid flag value for `-f 19  1'.  Flag not set.\n", false},
        // Would wrap onto flag 3 if the index were cut to 32 bits.
        {"4294967299", "1", "Warning: Invalid flag value for `-f 4294967299 1'.  Flag not set.\n",
         false},
        {"99999999999999999999", "1",
         "Warning: Invalid flag value for `-f 9223372036854775807 1'.  Flag not set.\n", false},
        {"x", "1", "Warning: Parse error for `-f x 1'.  Flag not set.\n", false},
        {"3", "x", "Warning: Parse error for `-f 3 x'.  Flag not set.\n", false},
        {"3", "", "Warning: Parse error for `-f 3 '.  Flag not set.\n", false},
        {"", "", "Warning: Parse error for `-f  '.  Flag not set.\n", false},
        {"-", "1", "Warning: Parse error for `-f - 1'.  Flag not set.\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("-f '") + c.flag + "' '" + c.value + "'");
        BRIX_SetFlag(BRIX_Flag::SimplifyConstraint, !c.set);
        BRIX_SetFlag(BRIX_Flag::CheckMarksBeforeRecursion, !c.set);
        BRIX_SetFlag(BRIX_Flag::TraceTopLevel, !c.set);
        bool before[BRIX_FlagCount];
        for (int i = 0; i < BRIX_FlagCount; ++i) {
            before[i] = BRIX_GetFlag(i);
        }
        EXPECT_EQ(c.warning, BRIX_FlagOption(c.flag, c.value));
        long index = -1;
        const bool wasSet = c.warning[0] == '\0';
        if (wasSet) {
            ASSERT_TRUE(BRIX_ReadInteger(c.flag, index));
        }
        for (int i = 0; i < BRIX_FlagCount; ++i) {
            EXPECT_EQ(i == index ? c.set : before[i], BRIX_GetFlag(i)) << "flag " << i;
        }
    }
}

TEST_F(RegistryTest, ParamOption) {
    struct Case {
        const char* param;
        const char* value;
        const char* warning;
        int index;  // the parameter set, -1 for none
        double set;
    };
    const Case cases[] = {
        {"25", "2", "", 25, 2.0},
        {"0", "-1.5e-3xyz", "", 0, -0x1.89374bc6a7efap-10},
        {"3", " 0x10", "", 3, 16.0},
        {"26", "2", "Warning: Invalid flag value for `-p 26 2'.  Parameter not set.\n", -1, 0},
        {"-1", "2", "Warning: Invalid flag value for `-p -1 2'.  Parameter not set.\n", -1, 0},
        {"4294967299", "2",
         "Warning: Invalid flag value for `-p 4294967299 2'.  Parameter not set.\n", -1, 0},
        {"3", "x", "Warning: Parse error for `-p 3 x'.  Parameter not set.\n", -1, 0},
        {"y", "2", "Warning: Parse error for `-p y 2'.  Parameter not set.\n", -1, 0},
        {"3", "", "Warning: Parse error for `-p 3 '.  Parameter not set.\n", -1, 0},
        {"3", ".", "Warning: Parse error for `-p 3 .'.  Parameter not set.\n", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("-p '") + c.param + "' '" + c.value + "'");
        double before[BRIX_ParamCount];
        for (int i = 0; i < BRIX_ParamCount; ++i) {
            before[i] = BRIX_GetParam(i);
        }
        EXPECT_EQ(c.warning, BRIX_ParamOption(c.param, c.value));
        for (int i = 0; i < BRIX_ParamCount; ++i) {
            EXPECT_EQ(i == c.index ? c.set : before[i], BRIX_GetParam(i)) << "param " << i;
        }
    }
}

// A typed number is the double nearest its literal even when an interval
// operation has left the mode at up or down; the mode is left at nearest.
TEST_F(RegistryTest, ParamValueReadToNearestInAnyMode) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    EXPECT_EQ("", BRIX_ParamOption("1", "0.3"));
    EXPECT_EQ(0x1.3333333333333p-2, BRIX_GetParam(1));
    EXPECT_EQ(SAL_RoundNearest, SAL_Interface::GetRounding());

    SAL_Interface::SetRounding(SAL_RoundDown);
    EXPECT_EQ("", BRIX_ParamOption("1", "0.1"));
    EXPECT_EQ(0x1.999999999999ap-4, BRIX_GetParam(1));

    SAL_Interface::SetRounding(SAL_RoundToZero);
    double value = 0;
    EXPECT_TRUE(BRIX_ReadDouble("0.1", value));
    EXPECT_EQ(0x1.999999999999ap-4, value);
    EXPECT_EQ(SAL_RoundNearest, SAL_Interface::GetRounding());
}

TEST_F(RegistryTest, ReadersLeaveValueOnFailure) {
    long integer = 42;
    double real = 4.5;
    for (const char* text : {"", " ", "-", "+", "x1", "\t"}) {
        EXPECT_FALSE(BRIX_ReadInteger(text, integer)) << "'" << text << "'";
        EXPECT_FALSE(BRIX_ReadDouble(text, real)) << "'" << text << "'";
    }
    EXPECT_EQ(42, integer);
    EXPECT_EQ(4.5, real);
    EXPECT_TRUE(BRIX_ReadInteger("-12", integer));
    EXPECT_EQ(-12, integer);
}

TEST_F(RegistryTest, DescriptionsAreNullExactlyForUnnamedEntries) {
    for (int i = 0; i < BRIX_FlagCount; ++i) {
        EXPECT_EQ(i == 2 || i == 6, BRIX_FlagDescription(i) == nullptr) << "flag " << i;
    }
    for (int i = 0; i < BRIX_ParamCount; ++i) {
        EXPECT_EQ(i >= 7 && i <= 10, BRIX_ParamDescription(i) == nullptr) << "param " << i;
    }
}

}  // namespace
