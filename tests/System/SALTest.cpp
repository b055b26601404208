#include "System/SAL.h"
#include "System/SAL_Fatal.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(SAL, SplitAndComposeDoubles) {
    struct Case {
        double x;
        int sign;
        unsigned long low, high;
        int exponent;
    };
    const Case cases[] = {
        {-1.5, -1, 0, 1ul << 20, 0},
        {1.0, 1, 0, 0, 0},
        {0.0, 1, 0, 0, -1023},
        {-0.0, -1, 0, 0, -1023},
        {INFINITY, 1, 0, 0, 1024},
        {0x1.0000000000001p+0, 1, 1, 0, 0},  // lowest fraction bit
        {0x1.000008p+0, 1, 0, 1, 0},         // top bit of the low word
        {0x1.fffffffffffffp+1023, 1, 0x7FFFFFFFul, 0x1FFFFFul, 1023},
        {0x0.0000000000001p-1022, 1, 1, 0, -1023},  // smallest subnormal
    };
    for (const Case& c : cases) {
        int sign, exponent;
        unsigned long low, high;
        SAL_Interface::SplitDouble(c.x, sign, low, high, exponent);
        EXPECT_EQ(sign, c.sign) << c.x;
        EXPECT_EQ(low, c.low) << c.x;
        EXPECT_EQ(high, c.high) << c.x;
        EXPECT_EQ(exponent, c.exponent) << c.x;
        double back = SAL_Interface::ComposeDouble(sign, low, high, exponent);
        EXPECT_EQ(std::memcmp(&back, &c.x, sizeof back), 0) << c.x;
    }
    // A NaN splits to exponent 1024 with a non-zero fraction and composes back.
    int sign, exponent;
    unsigned long low, high;
    SAL_Interface::SplitDouble(NAN, sign, low, high, exponent);
    EXPECT_EQ(exponent, 1024);
    EXPECT_NE(low | high, 0ul);
    EXPECT_TRUE(std::isnan(SAL_Interface::ComposeDouble(sign, low, high, exponent)));
}

TEST(SALDeathTest, DecrementingAZeroCountIsABrokenInvariant) {
    unsigned count = 0;
    EXPECT_DEATH(SAL_System::DecRC(&count), "count > 0");
}

TEST(SAL, RoundingModes) {
    for (int mode : {SAL_RoundDown, SAL_RoundUp, SAL_RoundToZero, SAL_RoundNearest}) {
        SAL_Interface::SetRounding(mode);
        EXPECT_EQ(SAL_Interface::GetRounding(), mode);
    }
    SAL_Interface::SetRounding(SAL_RoundUp);
    SAL_Interface::SetRounding(7);  // unknown codes change nothing
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundUp);
    SAL_Interface::SetRounding(-1);
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundUp);

    // The mode really reaches the arithmetic (and strtod, which follows it).
    volatile double one = 1.0, three = 3.0;
    SAL_Interface::SetRounding(SAL_RoundDown);
    volatile double down = one / three;
    SAL_Interface::SetRounding(SAL_RoundUp);
    volatile double up = one / three;
    EXPECT_EQ(up, std::nextafter(down, INFINITY));
}

TEST(SAL, ExceptionControl) {
    SAL_Interface::ClearFPException(SAL_FPInvalid);
    EXPECT_FALSE(SAL_Interface::TestFPException(SAL_FPInvalid));
    SAL_Interface::RaiseFPException(SAL_FPInvalid);
    EXPECT_TRUE(SAL_Interface::TestFPException(SAL_FPInvalid));
    EXPECT_FALSE(SAL_Interface::TestFPException(SAL_FPOverflow));
    SAL_Interface::ClearFPException(SAL_FPInvalid);
    EXPECT_FALSE(SAL_Interface::TestFPException(SAL_FPInvalid));

    // An invalid operation sets the flag without trapping while masked.
    volatile double zero = 0.0;
    volatile double nan = zero / zero;
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(SAL_Interface::TestFPException(SAL_FPInvalid));

    EXPECT_FALSE(SAL_Interface::FPExceptionUnmasked(SAL_FPDivByZero));
    SAL_Interface::UnmaskFPException(SAL_FPDivByZero);
    EXPECT_TRUE(SAL_Interface::FPExceptionUnmasked(SAL_FPDivByZero));
    SAL_Interface::MaskFPException(SAL_FPDivByZero);
    EXPECT_FALSE(SAL_Interface::FPExceptionUnmasked(SAL_FPDivByZero));
    EXPECT_FALSE(SAL_Interface::FPExceptionUnmasked(SAL_FPInexact));

    // Codes outside 0..4 change nothing.
    SAL_Interface::RaiseFPException(9);
    EXPECT_FALSE(SAL_Interface::TestFPException(9));
    SAL_Interface::UnmaskFPException(-1);
    EXPECT_FALSE(SAL_Interface::FPExceptionUnmasked(-1));
}

std::vector<std::string> calls;
bool First(int*, char***) {
    return calls.emplace_back("first"), true;
}
bool Second(int*, char***) {
    return calls.emplace_back("second"), false;
}
bool Third(int*, char***) {
    return calls.emplace_back("third"), true;
}
bool ExitFirst(int) {
    return calls.emplace_back("exit first"), true;
}
bool ExitThird(int) {
    return calls.emplace_back("exit third"), true;
}

TEST(SAL, StartUpRunsModulesInOrderAndStopsAtAFailingHook) {
    static SAL_Module first, second, third;
    SAL_Interface::RegisterModule(&first, First, ExitFirst);
    SAL_Interface::RegisterModule(&second, Second);
    SAL_Interface::RegisterModule(&third, Third, ExitThird);

    SAL_Interface::SetRounding(SAL_RoundDown);
    SAL_Interface::RaiseFPException(SAL_FPOverflow);
    int argc = 0;
    char** argv = nullptr;
    EXPECT_FALSE(SAL_Interface::StartUp(&argc, &argv));
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(SAL_Interface::GetRounding(), SAL_RoundNearest);
    EXPECT_FALSE(SAL_Interface::TestFPException(SAL_FPOverflow));

    calls.clear();
    EXPECT_TRUE(SAL_Interface::ShutDown(0));  // from the last module to the first
    EXPECT_EQ(calls, (std::vector<std::string>{"exit third", "exit first"}));
}

TEST(SAL, LocalAllocation) {
    char* p = static_cast<char*>(SAL_Interface::LocMalloc(4));
    std::memcpy(p, "abc", 4);
    p = static_cast<char*>(SAL_Interface::LocRealloc(p, 4000));
    EXPECT_STREQ(p, "abc");
    SAL_Interface::LocFree(p);
    SAL_Interface::LocFree(SAL_Interface::LocMalloc(0));  // a usable block, not null
}

TEST(SAL, FatalReportNamesTheSourceFileWithoutExtension) {
    char name[64];
    SAL_FatalFileName("src/IO/FormatSet.cpp", name, sizeof name);
    EXPECT_STREQ(name, "src/IO/FormatSet");
    SAL_FatalFileName("src/System/SAL.h", name, sizeof name);
    EXPECT_STREQ(name, "src/System/SAL");
    SAL_FatalFileName("src/a.b/Makefile", name, sizeof name);  // a dot in a folder is kept
    EXPECT_STREQ(name, "src/a.b/Makefile");
    SAL_FatalFileName("src/IO/FormatSet.cpp", name, 7);  // cut to the buffer
    EXPECT_STREQ(name, "src/IO");
}

}  // namespace
