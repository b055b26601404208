#include "Search/BRIX_USASQuantified.h"

#include "Constraint/BRIX_Quantified.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_StackEl.h"

#include <utility>

void BRIX_USASQuantified::DestroyList(BRIX_StackEl*& head) {
    while (head != nullptr) {
        BRIX_StackEl* e = head;
        head = e->next;
        e->next = nullptr;
        e->Destroy();
    }
}

BRIX_USASQuantified::~BRIX_USASQuantified() {
    DestroyList(stack);
}

void BRIX_USASQuantified::CloneQuantifiedFrom(const BRIX_USASQuantified& other) {
    CopyBaseFrom(other);
    polarity = other.polarity;
    boundCount = other.boundCount;
    maySplit = other.maySplit;
    freeWidth = other.freeWidth;
    witnessCredit = other.witnessCredit;
    witnessIdle = other.witnessIdle;
    witnessMisses = other.witnessMisses;
    lastFree = other.lastFree;
    // Pushing each clone onto the front reverses the order.
    for (BRIX_StackEl* e = other.stack; e != nullptr; e = e->next) {
        Push(e->Clone());
    }
}

void BRIX_USASQuantified::TakeQuantifiedFrom(BRIX_USASQuantified& other) {
    CopyBaseFrom(other);
    polarity = other.polarity;
    boundCount = other.boundCount;
    maySplit = other.maySplit;
    freeWidth = other.freeWidth;
    witnessCredit = other.witnessCredit;
    witnessIdle = other.witnessIdle;
    witnessMisses = other.witnessMisses;
    lastFree = other.lastFree;
    DestroyList(stack);
    stack = other.stack;
    other.stack = nullptr;
}

BRIX_USAS* BRIX_USASQuantified::Clone() {
    auto* copy = new BRIX_USASQuantified(polarity, boundCount);
    copy->CloneQuantifiedFrom(*this);
    return copy;
}

void BRIX_USASQuantified::Print(int indent) const {
    Ex_OutputStream& out = Ex_StdOut();
    Indent(out, indent);
    out << "Quantified: " << Identity(this) << " " << value << " "
        << "\n";
    for (const BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        e->Print(indent + 2);
    }
}

bool BRIX_USASQuantified::AllMarked(bool up) const {
    for (const BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        if (!e->State()->AllMarked(up)) {
            return false;
        }
    }
    return true;
}

bool BRIX_USASQuantified::AllMarkedExcept(bool up, int var) const {
    for (const BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        if (!e->State()->AllMarkedExcept(up, var)) {
            return false;
        }
    }
    return true;
}

void BRIX_USASQuantified::ClearMarks(bool up, int var, bool lowerChanged, bool upperChanged) {
    for (BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        e->State()->ClearMarks(up, var, lowerChanged, upperChanged);
    }
}

void BRIX_USASQuantified::RemoveEmptyElements() {
    BRIX_StackEl** link = &stack;
    while (*link != nullptr) {
        BRIX_StackEl* e = *link;
        if (e->box.IsEmpty()) {
            *link = e->next;
            e->next = nullptr;
            e->Destroy();
        } else {
            link = &e->next;
        }
    }
}

void BRIX_USASQuantified::Push(BRIX_StackEl* element) {
    element->next = stack;
    stack = element;
}

int BRIX_USASQuantified::StackSize() const {
    int n = 0;
    for (const BRIX_StackEl* e = stack; e != nullptr; e = e->next) {
        ++n;
    }
    return n;
}

bool BRIX_USASQuantified::InitFrom(const BRIX_Quantified& node) {
    polarity = node.Polarity();
    boundCount = node.BoundCount();
    maySplit = true;
    int n = node.NumberOfVariables();
    Box box(n + boundCount);
    for (int i = 0; i < n; ++i) {
        box.Set(i, Iv_Itvl<double>::Entire());
    }
    for (int i = 0; i < boundCount; ++i) {
        box.Set(n + i, node.BoundBox()[i]);
    }
    BRIX_StackEl* first = CreateStackEl(box, node.Sub());
    if (first == nullptr) {
        return false;
    }
    Push(first);
    return true;
}

BRIX_USASQuantifiedStore::~BRIX_USASQuantifiedStore() {
    DestroyList(trueBoxes);
    DestroyList(falseBoxes);
}

namespace {

void PushHolders(BRIX_StackEl*& head, std::vector<Box>& boxes) {
    for (Box& box : boxes) {
        auto* holder = new BRIX_StackElAtomic(std::move(box), nullptr);
        holder->next = head;
        head = holder;
    }
    boxes.clear();
}

}  // namespace

void BRIX_USASQuantifiedStore::AddTrueBoxes(std::vector<Box> boxes) {
    PushHolders(trueBoxes, boxes);
}

void BRIX_USASQuantifiedStore::AddFalseBoxes(std::vector<Box> boxes) {
    PushHolders(falseBoxes, boxes);
}
