#include "Constraint/BRIX_Quantified.h"

BRIX_Quantified::~BRIX_Quantified() {
    delete sub;
}
