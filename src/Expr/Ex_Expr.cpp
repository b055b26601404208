#include "Expr/Ex_Expr.h"

#include "Expr/Ex_ExprCell.h"
#include "Expr/Ex_Format.h"
#include "Expr/Ex_Lazy.h"
#include "System/SAL.h"

#include <cstring>
#include <new>

namespace {

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

Ex_Expr Own(Ex_ExprCell* cell) {
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

// Copies head, quoted mark or format, and each slot detached.
Ex_ExprCell* Ex_ExprCell::Copy(const Ex_ExprCell& cell) {
    switch (cell.Kind()) {
        case Normal: {
            const auto& from = static_cast<const Ex_ExprCellNormal&>(cell);
            auto* copy = new (static_cast<int>(from.count))
                Ex_ExprCellNormal(from.head, static_cast<int>(from.count));
            copy->quoted = from.quoted;
            for (unsigned i = 0; i < from.count; ++i) {
                copy->Slots()[i] = from.Slots()[i].Detach();
            }
            return copy;
        }
        case List: {
            const auto& from = static_cast<const Ex_ExprCellList&>(cell);
            auto* copy =
                new (static_cast<int>(from.count)) Ex_ExprCellList(static_cast<int>(from.count));
            copy->format = from.format;
            for (unsigned i = 0; i < from.count; ++i) {
                copy->Slots()[i] = from.Slots()[i].Detach();
            }
            return copy;
        }
        case Lazy: {
            Ex_Expr value = static_cast<const Ex_ExprCellLazy&>(cell).future->Evaluate();
            value.Force();
            if (!value.IsNull()) {
                return Copy(*value.Cell());
            }
            return new (0) Ex_ExprCellNeutral();
        }
        default:
            return new (0) Ex_ExprCellNeutral();
    }
}

void Ex_ExprCell::Free(Ex_ExprCell* cell) {
    delete cell;
}

// ---- handle ----

Ex_Expr::Ex_Expr() noexcept = default;
Ex_Expr::Ex_Expr(Ex_ExprCell* fresh) : cell_(fresh) {}
Ex_Expr::Ex_Expr(const Ex_Expr& other) = default;
Ex_Expr::Ex_Expr(Ex_Expr&& other) noexcept = default;
Ex_Expr& Ex_Expr::operator=(const Ex_Expr& other) = default;
Ex_Expr& Ex_Expr::operator=(Ex_Expr&& other) noexcept = default;
Ex_Expr::~Ex_Expr() = default;

Ex_Expr Ex_Expr::Detach() const {
    Ex_Expr copy;
    copy.cell_ = cell_.Detach();
    return copy;
}

int Ex_Expr::Arity() const {
    return SlotsOf(Cell()) != nullptr ? static_cast<int>(Cell()->count) : 0;
}

const char* Ex_Expr::Head() const {
    return IsNormal() ? static_cast<Ex_ExprCellNormal*>(Cell())->head : nullptr;
}

Ex_Expr Ex_Expr::Arg(int i) const {
    Ex_Expr* slots = SlotsOf(Cell());
    if (slots == nullptr || i < 0 || static_cast<unsigned>(i) >= Cell()->count) {
        return Ex_Expr();
    }
    slots[i].Force();
    return slots[i];
}

void Ex_Expr::SetArg(int i, const Ex_Expr& value) {
    Ex_Expr* slots = SlotsOf(Cell());
    if (slots != nullptr && i >= 0 && static_cast<unsigned>(i) < Cell()->count) {
        slots[i] = value;
    }
}

bool Ex_Expr::IsNormal() const {
    return !cell_.IsNull() && cell_.Get()->Kind() == Ex_ExprCell::Normal;
}
bool Ex_Expr::IsNeutral() const {
    return !cell_.IsNull() && cell_.Get()->Kind() == Ex_ExprCell::Neutral;
}
bool Ex_Expr::IsList() const {
    return !cell_.IsNull() && cell_.Get()->Kind() == Ex_ExprCell::List;
}
bool Ex_Expr::IsLazy() const {
    return !cell_.IsNull() && cell_.Get()->Kind() == Ex_ExprCell::Lazy;
}

void Ex_Expr::Force() {
    // A future may evaluate to another Lazy cell; force until it does not.
    while (IsLazy()) {
        Ex_Expr evaluated = static_cast<Ex_ExprCellLazy*>(Cell())->future->Evaluate();
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
    return IsNormal() && static_cast<Ex_ExprCellNormal*>(Cell())->quoted != 0;
}

void Ex_Expr::SetQuoted(bool quoted) {
    if (IsNormal()) {
        static_cast<Ex_ExprCellNormal*>(Cell())->quoted = quoted ? 1 : 0;
    }
}

const Ex_Format* Ex_Expr::ListFormat() const {
    return IsList() ? static_cast<Ex_ExprCellList*>(Cell())->format : nullptr;
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
