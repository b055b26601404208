#include "Driver/BRIX_Report.h"

#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"
#include "System/SAL.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Itvl = Iv_Itvl<double>;

Box Box2(Itvl x, Itvl y) {
    Box box(2);
    box.Set(0, x);
    box.Set(1, y);
    return box;
}

// Collects what the standard output stream writes while it lives.
class CapturedOut {
public:
    CapturedOut() : saved_(Ex_StdOut().sys) {
        sys_.Attach(buffer_, sizeof buffer_);
        Ex_StdOut().AttachSys(&sys_);
    }
    ~CapturedOut() { Ex_StdOut().AttachSys(saved_); }
    std::string Text() const {
        return std::string(buffer_, static_cast<std::size_t>(sys_.next - buffer_));
    }

private:
    IO_SysOutput* saved_;
    IO_SysOutputString sys_;
    char buffer_[4096] = {};
};

// A refined problem over two free variables whose store holds the lists
// below; 0.1 and 0.7 are not decimal-exact, so the rounding direction shows
// in their sixth digit.
class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        problem.refined = true;
        problem.hasFreeVariables = true;
        store = new BRIX_USASQuantifiedStore(0, 2);
        problem.approximation = store;
        store->AddTrueBoxes({Box2(Itvl::FromBounds(0.1, 0.7), Itvl::FromBounds(0, 1))});
        store->AddFalseBoxes({Box2(Itvl::FromBounds(0, 0.1), Itvl::FromBounds(0, 1))});
        // An empty open box holds no point and adds no volume.
        store->Push(new BRIX_StackElAtomic(Box(), nullptr));
        auto* open =
            new BRIX_StackElAtomic(Box2(Itvl::FromBounds(0.7, 1), Itvl::FromBounds(0, 1)), nullptr);
        open->continuity.trueSets.Append(1);
        open->continuity.falseSets.Append(0);
        open->continuity.falseSets.Append(3);
        store->Push(open);
    }
    void TearDown() override { problem.approximation->Destroy(); }

    BRIX_Problem problem;
    BRIX_USASQuantifiedStore* store = nullptr;
};

const char* const kLists =
    "\n"
    "F, rounded inwards, is true on\n"
    "[ [ 0.100001, 0.699999 ], [ 0, 1 ] ]\n"
    "\n"
    "F, rounded inwards, is false on\n"
    "[ [ 0, 0.1 ], [ 0, 1 ] ]\n"
    "\n"
    "The truth of F, rounded outwards is unknown on\n"
    "[ [ 0.699999, 1 ], [ 0, 1 ] ] [ [ 1 ], [ 0, 3 ] ]\n"
    "[  ] [ [  ], [  ] ]\n"
    "\n";

TEST_F(ReportTest, BoxListing) {
    // The same text whatever rounding mode an earlier operation left.
    for (int mode : {SAL_RoundNearest, SAL_RoundUp, SAL_RoundDown, SAL_RoundToZero}) {
        std::string text;
        {
            CapturedOut out;
            SAL_Interface::SetRounding(mode);
            printBoxes(problem, 0.5);
            text = out.Text();
        }
        EXPECT_EQ(text, std::string(kLists) +
                            "Relative error: 0.3 (0.6 Eps)  |By| = 0.6  |Bn| = 0.1  |Bu| = 0.3"
                            "  |By+Bn+Bu| = 1\n\n")
            << "mode " << mode;
        EXPECT_EQ(Ex_StdOut().Formats().Find("Interval"), nullptr);
    }
}

TEST_F(ReportTest, Quantities) {
    CapturedOut out;
    printQuantities(problem);
    EXPECT_EQ(out.Text(),
              "\nF is true on 1 boxes of volume 0.6\n"
              "F is false on 1 boxes of volume 0.1\n"
              "F has no truth value on 2 boxes of volume 0.3\n");
}

TEST(Report, ClosedConstraint) {
    struct Case {
        bool provedTrue;
        bool provedFalse;
        const char* text;
    };
    const Case cases[] = {
        {true, false, "F is true\n"},
        {false, true, "F is false\n"},
        {false, false, ""},
        {true, true, "F is true\nF is false\n"},
    };
    for (const Case& c : cases) {
        BRIX_Problem problem;
        problem.refined = true;
        problem.provedTrue = c.provedTrue;
        problem.provedFalse = c.provedFalse;
        CapturedOut out;
        printQuantities(problem);
        printBoxes(problem, 0.5);
        printAppletData(problem);
        EXPECT_EQ(out.Text(), c.text);
    }
    // The listing alone starts no refinement for a closed constraint.
    BRIX_Problem pending;
    pending.refined = false;
    CapturedOut out;
    printBoxes(pending, 0.5);
    EXPECT_FALSE(pending.refined);
    EXPECT_EQ(out.Text(), "");
}

}  // namespace
