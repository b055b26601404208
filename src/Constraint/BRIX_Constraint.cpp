#include "Constraint/BRIX_Constraint.h"

#include "System/SAL.h"

void* BRIX_Constraint::operator new(std::size_t size) {
    return SAL_Interface::LocMalloc(static_cast<unsigned>(size));
}

void BRIX_Constraint::operator delete(void* block) {
    SAL_Interface::LocFree(block);
}
