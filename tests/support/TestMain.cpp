// Test entry point shared by every unit-test executable.
#include "System/SAL.h"

#include <gtest/gtest.h>

namespace {

// Each test starts in the environment the program starts in: rounding to
// nearest, every floating-point exception masked and cleared.
class RoundingReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        for (int code = 0; code < 5; ++code) {
            SAL_Interface::MaskFPException(code);
            SAL_Interface::ClearFPException(code);
        }
        SAL_Interface::SetRounding(SAL_RoundNearest);
    }
};

}  // namespace

int main(int argc, char** argv) {
    // The program's own start-up: floating-point environment and the
    // registered modules (the standard streams, where they are linked in).
    (void)SAL_Interface::StartUp(&argc, &argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RoundingReset);
    return RUN_ALL_TESTS();
}
