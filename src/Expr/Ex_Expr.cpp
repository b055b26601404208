#include "Expr/Ex_Expr.h"

#include "Expr/Ex_ExprCell.h"
#include "Expr/Ex_Format.h"
#include "Expr/Ex_Lazy.h"
#include "System/SAL.h"

#include <cstring>
#include <new>

namespace {

void Retain(Ex_ExprCell* cell) {
    if (cell != nullptr) {
        SAL_System::IncRC(&cell->rc);
    }
}

void Release(Ex_ExprCell* cell) {
    if (cell != nullptr && SAL_System::DecRC(&cell->rc)) {
        delete cell;
    }
}

// The inline slots of a Normal or List cell; null for the other kinds.
Ex_Expr* SlotsOf(Ex_ExprCell* cell) {
    if (cell == nullptr) {
        return nullptr;
    }
    switch (cell->Kind()) {
        case Ex_ExprCell::Normal:
            return static_cast<Ex_ExprCellNormal*>(cell)->Slots();
        case Ex_ExprCell::List:
            return static_cast<Ex_ExprCellList*>(cell)->Slots();
        default:
            return nullptr;
    }
}

// A handle to a fresh cell, counted once for that handle.
Ex_Expr Own(Ex_ExprCell* cell) {
    SAL_System::IncRC(&cell->rc);
    return Ex_Expr(cell);
}

const char* const kOperators[] = {"/\\", "\\/", "<==>", "==>", "=", "!=", ">", "<", ">=", "<=",
                                  "+",   "-",   "*",    "/",   "^", "%",  "&", "|", "!",  "~"};
const int kBinaryOperators = 18;  // all but "!" and "~"

int OperatorIndex(const char* head) {
    for (int i = 0; i < 20; ++i) {
        if (std::strcmp(head, kOperators[i]) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

// ---- cells ----

void* Ex_ExprCell::operator new(std::size_t size, int slots) {
    return SAL_Interface::LocMalloc(
        static_cast<unsigned>(size + static_cast<std::size_t>(slots) * sizeof(Ex_Expr)));
}

void Ex_ExprCell::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}

void Ex_ExprCell::operator delete(void* block, int) {
    SAL_Interface::LocFree(block);
}

Ex_ExprCellNormal::Ex_ExprCellNormal(const char* text, int n) {
    count = static_cast<unsigned>(n);
    std::size_t length = std::strlen(text) + 1;
    head = static_cast<char*>(SAL_Interface::LocMalloc(static_cast<unsigned>(length)));
    std::memcpy(head, text, length);
    for (int i = 0; i < n; ++i) {
        new (Slots() + i) Ex_Expr();
    }
}

Ex_ExprCellNormal::~Ex_ExprCellNormal() {
    for (unsigned i = 0; i < count; ++i) {
        Slots()[i].~Ex_Expr();
    }
    SAL_Interface::LocFree(head);
}

int Ex_ExprCellNormal::Size() const {
    return static_cast<int>(sizeof(Ex_ExprCellNormal) + count * sizeof(Ex_Expr) +
                            std::strlen(head) + 1);
}

Ex_ExprCellList::Ex_ExprCellList(int n) : format(&Ex_NoFormat::Shared()) {
    count = static_cast<unsigned>(n);
    for (int i = 0; i < n; ++i) {
        new (Slots() + i) Ex_Expr();
    }
}

Ex_ExprCellList::~Ex_ExprCellList() {
    for (unsigned i = 0; i < count; ++i) {
        Slots()[i].~Ex_Expr();
    }
}

int Ex_ExprCellList::Size() const {
    return static_cast<int>(sizeof(Ex_ExprCellList) + count * sizeof(Ex_Expr));
}

Ex_ExprCellLazy::~Ex_ExprCellLazy() {
    delete future;
}

const Ex_NoFormat& Ex_NoFormat::Shared() {
    static const Ex_NoFormat shared;
    return shared;
}

// ---- handle ----

Ex_Expr::Ex_Expr(const Ex_Expr& other) : cell_(other.cell_) {
    Retain(cell_);
}

Ex_Expr& Ex_Expr::operator=(const Ex_Expr& other) {
    Retain(other.cell_);  // first, so self-assignment is safe
    Release(cell_);
    cell_ = other.cell_;
    return *this;
}

Ex_Expr& Ex_Expr::operator=(Ex_Expr&& other) noexcept {
    if (this != &other) {
        Release(cell_);
        cell_ = other.cell_;
        other.cell_ = nullptr;
    }
    return *this;
}

Ex_Expr::~Ex_Expr() {
    Release(cell_);
}

int Ex_Expr::Arity() const {
    return SlotsOf(cell_) != nullptr ? static_cast<int>(cell_->count) : 0;
}

const char* Ex_Expr::Head() const {
    return IsNormal() ? static_cast<Ex_ExprCellNormal*>(cell_)->head : nullptr;
}

Ex_Expr Ex_Expr::Arg(int i) const {
    Ex_Expr* slots = SlotsOf(cell_);
    if (slots == nullptr || i < 0 || static_cast<unsigned>(i) >= cell_->count) {
        return Ex_Expr();
    }
    slots[i].Force();
    return slots[i];
}

void Ex_Expr::SetArg(int i, const Ex_Expr& value) {
    Ex_Expr* slots = SlotsOf(cell_);
    if (slots != nullptr && i >= 0 && static_cast<unsigned>(i) < cell_->count) {
        slots[i] = value;
    }
}

bool Ex_Expr::IsNormal() const {
    return cell_ != nullptr && cell_->Kind() == Ex_ExprCell::Normal;
}
bool Ex_Expr::IsNeutral() const {
    return cell_ != nullptr && cell_->Kind() == Ex_ExprCell::Neutral;
}
bool Ex_Expr::IsList() const {
    return cell_ != nullptr && cell_->Kind() == Ex_ExprCell::List;
}
bool Ex_Expr::IsLazy() const {
    return cell_ != nullptr && cell_->Kind() == Ex_ExprCell::Lazy;
}

void Ex_Expr::Force() {
    // A future may evaluate to another Lazy cell; force until it does not.
    while (IsLazy()) {
        Ex_Expr evaluated = static_cast<Ex_ExprCellLazy*>(cell_)->future->Evaluate();
        *this = evaluated;
    }
}

bool Ex_Expr::IsOperator() const {
    int n = Arity();
    return IsNormal() && (n == 1 || n == 2) && OperatorIndex(Head()) >= 0;
}

bool Ex_Expr::IsBinaryOperator() const {
    if (!IsNormal() || Arity() != 2) {
        return false;
    }
    int index = OperatorIndex(Head());
    return index >= 0 && index < kBinaryOperators;
}

bool Ex_Expr::IsBang() const {
    return IsNormal() && Arity() == 1 && std::strcmp(Head(), "!") == 0;
}

bool Ex_Expr::IsSimple() const {
    return !IsOperator() || (Arity() == 1 && !IsBang());
}

bool Ex_Expr::Quoted() const {
    return IsNormal() && static_cast<Ex_ExprCellNormal*>(cell_)->quoted != 0;
}

void Ex_Expr::SetQuoted(bool quoted) {
    if (IsNormal()) {
        static_cast<Ex_ExprCellNormal*>(cell_)->quoted = quoted ? 1 : 0;
    }
}

const Ex_Format* Ex_Expr::ListFormat() const {
    return IsList() ? static_cast<Ex_ExprCellList*>(cell_)->format : nullptr;
}

// ---- builders ----

Ex_Expr Atom(const char* text) {
    return Apply(text, 0);
}

Ex_Expr Unary(const char* head, const Ex_Expr& a) {
    Ex_Expr e = Apply(head, 1);
    e.SetArg(0, a);
    return e;
}

Ex_Expr Binary(const char* head, const Ex_Expr& a, const Ex_Expr& b) {
    Ex_Expr e = Apply(head, 2);
    e.SetArg(0, a);
    e.SetArg(1, b);
    return e;
}

Ex_Expr Apply(const char* head, int n) {
    if (n < 0) {
        n = 0;
    }
    return Own(new (n) Ex_ExprCellNormal(head, n));
}

Ex_Expr MakeList(int n) {
    if (n < 0) {
        n = 0;
    }
    return Own(new (n) Ex_ExprCellList(n));
}

Ex_Expr MakeNeutral() {
    return Own(new (0) Ex_ExprCellNeutral());
}

Ex_Expr MakeLazyFrom(Ex_FutureBase* future) {
    return Own(new (0) Ex_ExprCellLazy(future));
}

Ex_Expr Neg(const Ex_Expr& a) {
    return Unary("-", a);
}

Ex_Expr Add(const Ex_Expr& a, const Ex_Expr& b) {
    if (a.IsNeutral()) {
        return b;
    }
    if (b.IsNeutral()) {
        return a;
    }
    return Binary("+", a, b);
}

Ex_Expr Sub(const Ex_Expr& a, const Ex_Expr& b) {
    return Binary("-", a, b);
}

Ex_Expr Mul(const Ex_Expr& a, const Ex_Expr& b) {
    if (a.IsNeutral()) {
        return b;
    }
    if (b.IsNeutral()) {
        return a;
    }
    return Binary("*", a, b);
}

Ex_Expr Div(const Ex_Expr& a, const Ex_Expr& b) {
    return Binary("/", a, b);
}

Ex_Expr Pow(const Ex_Expr& a, const Ex_Expr& b) {
    return Binary("^", a, b);
}

bool HeadIs(const Ex_Expr& e, const char* text) {
    const char* head = e.Head();
    return head != nullptr && std::strcmp(head, text) == 0;
}
