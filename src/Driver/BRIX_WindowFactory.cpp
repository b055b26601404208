#include "Driver/BRIX_WindowFactory.h"

#include "Driver/BRIX_Context.h"

void BRIX_SetWindowFactory(Win_WindowFactory* factory) {
    BRIX_CurrentContext().windowFactory = factory;
}

Win_WindowFactory* BRIX_GetWindowFactory() {
    return BRIX_CurrentContext().windowFactory;
}
