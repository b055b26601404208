#include "Constraint/BRIX_Atomic.h"

namespace {

bool IsRelation(int relation) {
    return relation >= BRIX_Less && relation <= BRIX_NotEqual;
}

}  // namespace

const char* RelationText(int relation) {
    static const char* const texts[] = {" < ", " <= ", " > ", " >= ", " = ", " != "};
    return IsRelation(relation) ? texts[relation] : " ERROR! ";
}

int NegatedRelation(int relation) {
    static const int negated[] = {BRIX_GreaterEqual, BRIX_Greater,  BRIX_LessEqual,
                                  BRIX_Less,         BRIX_NotEqual, BRIX_Equal};
    return IsRelation(relation) ? negated[relation] : relation;
}

BRIX_Constraint* BRIX_Atomic::ApproxQuantifiers(double) {
    return this;
}
