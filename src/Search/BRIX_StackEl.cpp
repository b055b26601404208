#include "Search/BRIX_StackEl.h"

#include "Constraint/BRIX_Quantified.h"
#include "IO/Ex_Stream.h"
#include "System/SAL.h"

namespace {

void* Allocate(std::size_t size) {
    return SAL_Interface::LocMalloc(static_cast<unsigned>(size));
}

}  // namespace

void* BRIX_StackEl::operator new(std::size_t size) {
    return Allocate(size);
}
void BRIX_StackEl::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}
void* BRIX_StackElAtomic::operator new(std::size_t size) {
    return Allocate(size);
}
void BRIX_StackElAtomic::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}
void* BRIX_StackElBoolean::operator new(std::size_t size) {
    return Allocate(size);
}
void BRIX_StackElBoolean::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}
void* BRIX_StackElQuantified::operator new(std::size_t size) {
    return Allocate(size);
}
void BRIX_StackElQuantified::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}

void BRIX_StackEl::CopyElementFrom(BRIX_StackEl& other) {
    box = other.box;
    depth = other.depth;
    continuity = other.continuity;
    upNarrowed = other.upNarrowed;
    downNarrowed = other.downNarrowed;
    exhausted = other.exhausted;
    endsTried = other.endsTried;
    claims = other.claims;
    splitMark = 0;
    other.splitMark = 0;
    // next stays null: the copy is in no list yet, and the original's
    // neighbour belongs to another list.
}

void BRIX_StackEl::PrintBox(int indent) const {
    Ex_OutputStream& out = Ex_StdOut();
    for (int i = 0; i < indent; ++i) {
        out << ' ';
    }
    out << box << "\n";
}

// ---- Atomic elements. ----

BRIX_StackElAtomic* BRIX_StackElAtomic::Clone() {
    auto* copy = new BRIX_StackElAtomic(Box(), constraint);
    copy->CopyElementFrom(*this);
    copy->CopyAtomicFrom(*this);
    return copy;
}

BRIX_USAS* BRIX_StackElAtomic::CloneState() {
    auto* copy = new BRIX_StackElAtomic(Box(), constraint);
    copy->CopyAtomicFrom(*this);
    return copy;
}

void BRIX_StackElAtomic::Print(int indent) const {
    PrintBox(indent);
    BRIX_USASAtomic::Print(indent);
}

void BRIX_StackElAtomic::TakeStateFrom(BRIX_USASAtomic* state) {
    CopyAtomicFrom(*state);
    state->Destroy();
}

// ---- Boolean elements. ----

BRIX_StackElBoolean* BRIX_StackElBoolean::Clone() {
    auto* copy = new BRIX_StackElBoolean(Box(), polarity);
    copy->CopyElementFrom(*this);
    copy->CloneBooleanFrom(*this);
    return copy;
}

BRIX_USAS* BRIX_StackElBoolean::CloneState() {
    auto* copy = new BRIX_StackElBoolean(Box(), polarity);
    copy->CloneBooleanFrom(*this);
    return copy;
}

void BRIX_StackElBoolean::Print(int indent) const {
    PrintBox(indent);
    BRIX_USASBoolean::Print(indent);
}

void BRIX_StackElBoolean::TakeStateFrom(BRIX_USASBoolean* state) {
    TakeBooleanFrom(*state);
    state->Destroy();
}

// ---- Quantified elements. ----

BRIX_StackElQuantified* BRIX_StackElQuantified::Clone() {
    auto* copy = new BRIX_StackElQuantified(Box(), polarity, boundCount);
    copy->CopyElementFrom(*this);
    copy->CloneQuantifiedFrom(*this);
    return copy;
}

BRIX_USAS* BRIX_StackElQuantified::CloneState() {
    auto* copy = new BRIX_StackElQuantified(Box(), polarity, boundCount);
    copy->CloneQuantifiedFrom(*this);
    return copy;
}

void BRIX_StackElQuantified::Print(int indent) const {
    PrintBox(indent);
    BRIX_USASQuantified::Print(indent);
}

void BRIX_StackElQuantified::TakeStateFrom(BRIX_USASQuantified* state) {
    TakeQuantifiedFrom(*state);
    state->Destroy();
}

// ---- Creation. ----

BRIX_StackEl* CreateStackEl(const Box& box, const BRIX_Constraint* node) {
    node = StateNode(node);
    if (node == nullptr) {
        return nullptr;
    }
    switch (node->Kind()) {
        case BRIX_KindConstant:
        case BRIX_KindAtomic:
            return new BRIX_StackElAtomic(box, node);
        case BRIX_KindQuantified: {
            const auto& quantified = static_cast<const BRIX_Quantified&>(*node);
            auto* e =
                new BRIX_StackElQuantified(box, quantified.Polarity(), quantified.BoundCount());
            if (!e->InitFrom(quantified)) {
                e->Destroy();
                return nullptr;
            }
            return e;
        }
        case BRIX_KindConnective: {
            auto* e = new BRIX_StackElBoolean(box, 0);  // polarity set by InitFrom
            if (!e->InitFrom(*node)) {
                e->Destroy();
                return nullptr;
            }
            return e;
        }
        default:
            return nullptr;
    }
}

BRIX_StackEl* CreateStackElFor(const Box& box, BRIX_USAS* state) {
    if (state == nullptr) {
        return nullptr;
    }
    // A state that is itself an element (from CloneState or Clone) becomes
    // the new element in place: the same result as taking over its fields,
    // without another allocation.
    if (auto* element = dynamic_cast<BRIX_StackEl*>(state)) {
        element->box = box;
        element->splitMark = 0;
        element->depth = 0;
        element->continuity = ContinuityInfo();
        element->upNarrowed = false;
        element->downNarrowed = false;
        element->exhausted = false;
        element->endsTried = Box();
        element->continuityStale = true;
        element->claims = BRIX_ClaimRegion();
        element->next = nullptr;
        return element;
    }
    switch (state->Kind()) {
        case BRIX_USASKindAtomic: {
            auto* atomic = static_cast<BRIX_USASAtomic*>(state);
            auto* e = new BRIX_StackElAtomic(box, atomic->constraint);
            e->TakeStateFrom(atomic);
            return e;
        }
        case BRIX_USASKindQuantified: {
            auto* quantified = static_cast<BRIX_USASQuantified*>(state);
            auto* e = new BRIX_StackElQuantified(box, quantified->polarity, quantified->boundCount);
            e->TakeStateFrom(quantified);
            return e;
        }
        case BRIX_USASKindBoolean: {
            auto* boolean = static_cast<BRIX_USASBoolean*>(state);
            auto* e = new BRIX_StackElBoolean(box, boolean->polarity);
            e->TakeStateFrom(boolean);
            return e;
        }
        default:
            state->Destroy();
            return nullptr;
    }
}
