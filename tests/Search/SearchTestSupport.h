// Helpers for the approximation-state tests: small stand-in nodes, boxes from
// bound pairs, and capture of the standard output stream.
#ifndef BRIX_TESTS_SEARCH_SEARCHTESTSUPPORT_H
#define BRIX_TESTS_SEARCH_SEARCHTESTSUPPORT_H

#include "Constraint/BRIX_Atomic.h"
#include "Constraint/BRIX_Quantified.h"
#include "IO/Ex_Stream.h"
#include "IO/IO_SysStream.h"
#include "Search/BRIX_StackEl.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The search never calls these slots; they answer trivially.
#define SEARCH_TEST_NODE_SLOTS                                           \
    using BRIX_Constraint::Print;                                        \
    BRIX_Constraint* Copy() const override {                             \
        return nullptr;                                                  \
    }                                                                    \
    bool IsConsistent() const override {                                 \
        return true;                                                     \
    }                                                                    \
    int Degree(int) const override {                                     \
        return 0;                                                        \
    }                                                                    \
    BRIX_Constraint* SimplifyNode() override {                           \
        return this;                                                     \
    }                                                                    \
    void RemoveVariable(int) override {}                                 \
    void Print(Ex_OutputStream&, const BRIX_Names*) const override {}    \
    bool Narrow(BRIX_USAS*, Box&, bool, ResultPainter, bool&) override { \
        return false;                                                    \
    }                                                                    \
    bool Sample(BRIX_USAS*, Box, int) override {                         \
        return false;                                                    \
    }                                                                    \
    void Negate() override {}

// An atomic node over numberOfVariables variables, of which those in `has` occur.
class TestAtomic : public BRIX_Atomic {
public:
    explicit TestAtomic(int numberOfVariables, std::uint32_t has = ~std::uint32_t{0})
        : BRIX_Atomic(BRIX_Less, Iv_Itvl<double>(0.0), numberOfVariables), has(has) {}
    SEARCH_TEST_NODE_SLOTS
    ContinuityInfo ContinuityMarks(BRIX_USAS*) override { return ContinuityInfo(); }
    bool HasVariable(int var) const override { return (has >> var & 1) != 0; }
    void Substitute(int, double, BRIX_Constraint*&, TruthValue&) override {}
    std::uint32_t has;
};

// A quantifier with a chosen polarity; owns sub.
class TestQuantified : public BRIX_Quantified {
public:
    TestQuantified(const Box& box, BRIX_Constraint* sub, int numberOfVariables, int polarity)
        : BRIX_Quantified(box, Variables(numberOfVariables, box.Dimension()), sub,
                          numberOfVariables),
          polarity(polarity) {}
    SEARCH_TEST_NODE_SLOTS
    BRIX_Constraint* ApproxQuantifiers(double) override { return this; }
    ContinuityInfo ContinuityMarks(BRIX_USAS*) override { return ContinuityInfo(); }
    bool IsClassical() const override { return polarity != 0; }
    int Polarity() const override { return polarity; }
    bool IsUnknown() const override { return polarity == 0; }
    int polarity;

private:
    static std::vector<int> Variables(int n, int k) {
        std::vector<int> v;
        for (int i = 0; i < k; ++i) {
            v.push_back(n + i);
        }
        return v;
    }
};

// A node of a kind no state exists for.
class TestOddNode : public BRIX_Constraint {
public:
    TestOddNode() : BRIX_Constraint(1) {}
    SEARCH_TEST_NODE_SLOTS
    BRIX_Constraint* ApproxQuantifiers(double) override { return this; }
    int Kind() const override { return 9; }
    ContinuityInfo ContinuityMarks(BRIX_USAS*) override { return ContinuityInfo(); }
};

#undef SEARCH_TEST_NODE_SLOTS

using Bounds = std::pair<double, double>;

inline Box MakeBox(std::initializer_list<Bounds> bounds) {
    Box box(static_cast<int>(bounds.size()));
    int i = 0;
    for (const Bounds& b : bounds) {
        box.Set(i++, Iv_Itvl<double>::FromBounds(b.first, b.second));
    }
    return box;
}

// The bounds of component var of every element of a list, in list order.
inline std::vector<Bounds> Components(const BRIX_StackEl* list, int var) {
    std::vector<Bounds> out;
    for (const BRIX_StackEl* e = list; e != nullptr; e = e->next) {
        out.emplace_back(e->box[var].lo, e->box[var].hi);
    }
    return out;
}

// What f writes on the standard output stream.
template <class F>
std::string StdOutOf(F f) {
    static char buffer[4096];
    IO_SysOutputString text;
    text.Attach(buffer, sizeof buffer);
    IO_SysOutput* saved = Ex_StdOut().sys;
    Ex_StdOut().AttachSys(&text);
    f();
    Ex_StdOut().AttachSys(saved);
    return std::string(buffer, static_cast<std::size_t>(text.next - buffer));
}

#endif
