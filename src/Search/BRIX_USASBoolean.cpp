#include "Search/BRIX_USASBoolean.h"

#include "Constraint/BRIX_Connective.h"
#include "IO/Ex_Stream.h"

BRIX_USASBoolean::~BRIX_USASBoolean() {
    for (BRIX_USAS* child : children) {
        if (child != nullptr) {
            child->Destroy();
        }
    }
}

void BRIX_USASBoolean::CloneBooleanFrom(const BRIX_USASBoolean& other) {
    CopyBaseFrom(other);
    savedBoxes = other.savedBoxes;
    claims = other.claims;
    lastBox = other.lastBox;
    cursor = other.cursor;
    polarity = other.polarity;
    children.reserve(other.children.size());
    for (BRIX_USAS* child : other.children) {
        children.push_back(child != nullptr ? child->Clone() : nullptr);
    }
}

void BRIX_USASBoolean::TakeBooleanFrom(BRIX_USASBoolean& other) {
    CopyBaseFrom(other);
    savedBoxes.swap(other.savedBoxes);
    claims.swap(other.claims);
    lastBox = other.lastBox;
    cursor = other.cursor;
    polarity = other.polarity;
    children.swap(other.children);
    other.children.clear();
}

BRIX_USAS* BRIX_USASBoolean::Clone() {
    auto* copy = new BRIX_USASBoolean(polarity);
    copy->CloneBooleanFrom(*this);
    return copy;
}

void BRIX_USASBoolean::Print(int indent) const {
    Ex_OutputStream& out = Ex_StdOut();
    Indent(out, indent);
    out << "Boolean: " << Identity(this) << " " << value << "\n";
    for (int i = 0; i < ChildCount(); ++i) {
        if (Child(i) != nullptr) {
            Child(i)->Print(indent + 2);
        } else {
            Indent(out, indent + 2);
            out << "Child " << i << " empty\n";
        }
    }
}

void BRIX_USASBoolean::RemoveChild(int i) {
    BRIX_USAS*& child = children[static_cast<std::size_t>(i)];
    if (child != nullptr) {
        child->Destroy();
        child = nullptr;
    }
}

// The only place the search reads a connective (the caller has checked Kind()).
bool BRIX_USASBoolean::InitFrom(const BRIX_Constraint& node) {
    const auto& connective = static_cast<const BRIX_Connective&>(node);
    polarity = connective.isConjunction ? -1 : 1;
    cursor = -1;
    for (int i = 0; i < connective.SubCount(); ++i) {
        BRIX_USAS* child = CreateUsas(connective.Sub(i), false);
        if (child == nullptr) {
            return false;
        }
        AddChild(child);
    }
    return true;
}

BRIX_USAS* BRIX_USASBoolean::AdvanceCursor() {
    int n = ChildCount();
    int start = cursor >= 0 && cursor < n ? cursor : -1;
    for (int step = 1; step <= n; ++step) {
        int i = (start + step) % n;
        if (Child(i) != nullptr) {
            cursor = i;
            return Child(i);
        }
    }
    return nullptr;
}

// A state whose children are all null (or that has none) cannot take a step:
// it answers false, so the caller tries elsewhere instead of looping here.
bool BRIX_USASBoolean::RefineStatic(int varOffset, int var) {
    BRIX_USAS* child = AdvanceCursor();
    return child != nullptr && child->RefineStatic(varOffset, var);
}

bool BRIX_USASBoolean::RefineDynamic(bool force) {
    BRIX_USAS* child = AdvanceCursor();
    return child != nullptr && child->RefineDynamic(force);
}

bool BRIX_USASBoolean::RefineParallel(int varOffset, int var) {
    bool stepped = false;
    for (BRIX_USAS* child : children) {
        if (child != nullptr && child->RefineParallel(varOffset, var)) {
            stepped = true;
        }
    }
    return stepped;
}

bool BRIX_USASBoolean::AllMarked(bool up) const {
    // Narrowing a conjunction up (a disjunction down) runs every child on the
    // same box: all must be at their fixpoint. Otherwise one child suffices.
    bool everyChild = (polarity < 0 && up) || (polarity > 0 && !up);
    for (BRIX_USAS* child : children) {
        if (child == nullptr) {
            continue;
        }
        bool marked = child->AllMarked(up);
        if (everyChild && !marked) {
            return false;
        }
        if (!everyChild && marked) {
            return true;
        }
    }
    return everyChild;
}

bool BRIX_USASBoolean::AllMarkedExcept(bool up, int var) const {
    for (BRIX_USAS* child : children) {
        if (child != nullptr && !child->AllMarkedExcept(up, var)) {
            return false;
        }
    }
    return true;
}

void BRIX_USASBoolean::ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) {
    for (BRIX_USAS* child : children) {
        if (child != nullptr) {
            child->ClearMarks(up, var, lowerChanged, upperChanged);
        }
    }
}
