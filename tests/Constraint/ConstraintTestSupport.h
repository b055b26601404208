// Helpers for the constraint-tree tests: printed forms and a leaf node that
// records how it is called.
#ifndef BRIX_TESTS_CONSTRAINT_CONSTRAINTTESTSUPPORT_H
#define BRIX_TESTS_CONSTRAINT_CONSTRAINTTESTSUPPORT_H

#include "Constraint/BRIX_Constraint.h"
#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"

#include <string>

// The text node.Print(out, names) writes.
inline std::string Printed(const BRIX_Constraint& node, const BRIX_Names* names = nullptr) {
    char buffer[512] = {};
    IO_SysOutputString sys;
    sys.Attach(buffer, sizeof buffer);
    Ex_OutputStream out;
    out.AttachSys(&sys);
    node.Print(out, names);
    return std::string(buffer, static_cast<std::size_t>(sys.next - buffer));
}

// A leaf that records the state and direction it was called with and answers
// as told. Prints as its first name or "leaf", with "-" when negated; the
// consuming operations return a fresh copy and delete the leaf. `alive`
// counts the existing leaves, so a test sees that each was deleted once.
class RecordingLeaf : public BRIX_Constraint {
public:
    explicit RecordingLeaf(int numberOfVariables = 1) : BRIX_Constraint(numberOfVariables) {
        ++alive;
    }
    ~RecordingLeaf() override { --alive; }

    using BRIX_Constraint::Print;
    BRIX_Constraint* Copy() const override {
        auto* copy = new RecordingLeaf(numberOfVariables);
        copy->negated = negated;
        return copy;
    }
    BRIX_Constraint* ApproxQuantifiers(double) override { return SimplifyNode(); }
    bool IsConsistent() const override { return true; }
    int Kind() const override { return BRIX_KindAtomic; }
    int Degree(int var) const override { return var + 1; }
    BRIX_Constraint* SimplifyNode() override {
        BRIX_Constraint* replacement = Copy();
        delete this;
        return replacement;
    }
    void RemoveVariable(int) override { --numberOfVariables; }
    void Print(Ex_OutputStream& out, const BRIX_Names* names) const override {
        out << (negated ? "-" : "") << (names != nullptr ? names->front().c_str() : "leaf");
    }
    bool Narrow(BRIX_USAS* usas, Box& box, bool up, ResultPainter, bool& complete) override {
        seenUsas = usas;
        seenUp = up;
        box.MakeEmpty();
        complete = true;
        return true;
    }
    bool Sample(BRIX_USAS* usas, Box, int) override {
        seenUsas = usas;
        return sampleAnswer;
    }
    void Negate() override { negated = !negated; }
    ContinuityInfo ContinuityMarks(BRIX_USAS* usas) override {
        seenUsas = usas;
        return marks;
    }

    inline static int alive = 0;
    bool negated = false;
    bool sampleAnswer = false;
    ContinuityInfo marks;
    BRIX_USAS* seenUsas = nullptr;
    bool seenUp = false;
};

#endif
