#include "Constraint/BRIX_Constant.h"

#include "Constraint/ConstraintTestSupport.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

Box UnitBox() {
    Box box(1);
    box.Set(0, Iv_Itvl<double>(0.0, 1.0));
    return box;
}

TEST(Constant, Narrow) {
    struct Case {
        TruthValue value;
        bool up;
        bool startEmpty;
        bool emptied, result, complete;
    };
    const Case cases[] = {
        {TruthValue::False(), true, false, true, true, true},
        {TruthValue::False(), false, false, false, false, true},
        {TruthValue::False(), false, true, true, true, true},  // empty already
        {TruthValue::True(), true, false, false, false, true},
        {TruthValue::True(), false, false, true, true, true},
        {TruthValue::Unknown(), true, false, false, false, false},
        {TruthValue::Unknown(), false, false, false, false, false},
        {TruthValue::Both(), true, false, true, true, true},
        {TruthValue::Both(), false, false, true, true, true},
    };
    for (const Case& c : cases) {
        BRIX_Constant node(c.value, 1);
        Box box = c.startEmpty ? Box() : UnitBox();
        bool complete = !c.complete;
        bool result = node.Narrow(nullptr, box, c.up, ResultPainter(), complete);
        const char* text = c.up ? "up" : "down";
        EXPECT_EQ(box.IsEmpty(), c.emptied) << c.value.Bits() << ' ' << text;
        EXPECT_EQ(result, c.result) << c.value.Bits() << ' ' << text;
        EXPECT_EQ(complete, c.complete) << c.value.Bits() << ' ' << text;
        if (!c.emptied) {
            EXPECT_EQ(box, UnitBox());
        }
    }
}

TEST(Constant, CopyIsIndependentOfNegation) {
    BRIX_Constant node(TruthValue::True(), 2);
    std::unique_ptr<BRIX_Constraint> copy(node.Copy());
    node.Negate();
    EXPECT_FALSE(node.Sample(nullptr, UnitBox(), 4));
    EXPECT_TRUE(copy->Sample(nullptr, UnitBox(), 4));
}

}  // namespace
