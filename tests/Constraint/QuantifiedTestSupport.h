// Helpers for the quantifier and simplification tests: registry scopes,
// linear atomic constraints, boxes, and exact checks of the store's lists.
#ifndef BRIX_TESTS_CONSTRAINT_QUANTIFIEDTESTSUPPORT_H
#define BRIX_TESTS_CONSTRAINT_QUANTIFIEDTESTSUPPORT_H

#include "support/RegistryScope.h"
#include "Constraint/BRIX_AtomicPoly.h"
#include "Driver/BRIX_Registry.h"
#include "Search/BRIX_StackEl.h"
#include "support/ExactRational.h"

#include <initializer_list>
#include <utility>
#include <vector>

// New: c + sum of coefficient * x_var over the terms, REL 0, a node with n
// free variables of which only the terms' variables occur.
inline BRIX_AtomicPoly* Linear(int n, std::initializer_list<std::pair<int, double>> terms, double c,
                               int relation) {
    const int k = static_cast<int>(terms.size());
    DistPoly p = DistPoly::Constant(k, Iv_Itvl<double>(c));
    std::vector<int> varMap(static_cast<std::size_t>(n), -1);
    std::vector<int> ids;
    int j = 0;
    for (const auto& t : terms) {
        p = p + DistPoly::Constant(k, Iv_Itvl<double>(t.second)) * DistPoly::Variable(k, j);
        varMap[static_cast<std::size_t>(t.first)] = j++;
    }
    for (int i = 0; i < n; ++i) {
        ids.push_back(i);
    }
    return new BRIX_AtomicPoly(p, ids, relation, varMap, Iv_Itvl<double>(0.0));
}

inline Box BoxOf(std::initializer_list<std::pair<double, double>> bounds) {
    Box box(static_cast<int>(bounds.size()));
    int i = 0;
    for (const auto& b : bounds) {
        box.Set(i++, Iv_Itvl<double>::FromBounds(b.first, b.second));
    }
    return box;
}

inline std::vector<Box> BoxesOf(const BRIX_StackEl* list) {
    std::vector<Box> boxes;
    for (; list != nullptr; list = list->next) {
        boxes.push_back(list->box);
    }
    return boxes;
}

// The exact volume of a bounded box.
inline ExactQ ExactVolume(const Box& box) {
    ExactQ v(1.0);
    for (int i = 0; i < box.Dimension(); ++i) {
        v = v * (ExactQ(box[i].hi) - ExactQ(box[i].lo));
    }
    return v;
}

inline ExactQ ExactVolume(const std::vector<Box>& boxes) {
    ExactQ v(0.0);
    for (const Box& b : boxes) {
        v = v + ExactVolume(b);
    }
    return v;
}

#endif
