#include "Search/BRIX_USAS.h"

#include "Constraint/BRIX_Negation.h"
#include "Constraint/BRIX_Quantified.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_USASAtomic.h"
#include "Search/BRIX_USASBoolean.h"
#include "Search/BRIX_USASQuantified.h"
#include "System/SAL.h"

#include <climits>
#include <cmath>
#include <cstdint>

void* BRIX_USAS::operator new(std::size_t size) {
    return SAL_Interface::LocMalloc(static_cast<unsigned>(size));
}

void BRIX_USAS::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}

void BRIX_USAS::Indent(Ex_OutputStream& out, int indent) {
    for (int i = 0; i < indent; ++i) {
        out << ' ';
    }
}

unsigned long BRIX_USAS::Identity(const void* object) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(object));
}

int BRIX_RoundedParam(int index) {
    double x = BRIX_GetParam(index);
    // std::round ignores the rounding mode; the range test also rejects NaN.
    if (!(x > static_cast<double>(INT_MIN) - 0.5 && x < static_cast<double>(INT_MAX) + 0.5)) {
        return INT_MIN;
    }
    return static_cast<int>(std::round(x));
}

const BRIX_Constraint* StateNode(const BRIX_Constraint* node) {
    while (node != nullptr && node->Kind() == BRIX_KindNegation) {
        node = static_cast<const BRIX_Negation*>(node)->sub;
    }
    return node;
}

BRIX_USAS* CreateUsas(const BRIX_Constraint* node, bool storeAllowed) {
    node = StateNode(node);
    if (node == nullptr) {
        return nullptr;
    }
    switch (node->Kind()) {
        case BRIX_KindConstant:
        case BRIX_KindAtomic:
            return new BRIX_USASAtomic(node);
        case BRIX_KindQuantified: {
            const auto& quantified = static_cast<const BRIX_Quantified&>(*node);
            BRIX_USASQuantified* state =
                storeAllowed && quantified.NumberOfVariables() == 0
                    ? new BRIX_USASQuantifiedStore(quantified.Polarity(), quantified.BoundCount())
                    : new BRIX_USASQuantified(quantified.Polarity(), quantified.BoundCount());
            if (!state->InitFrom(quantified)) {
                // An empty stack would read as "nothing left open".
                state->Destroy();
                return nullptr;
            }
            return state;
        }
        case BRIX_KindConnective: {
            auto* state = new BRIX_USASBoolean(0);  // polarity set by InitFrom
            if (!state->InitFrom(*node)) {
                // A null child would read as a branch removed as empty.
                state->Destroy();
                return nullptr;
            }
            return state;
        }
        default:
            return nullptr;
    }
}
