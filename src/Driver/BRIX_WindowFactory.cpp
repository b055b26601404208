#include "Driver/BRIX_WindowFactory.h"

namespace {

Win_WindowFactory* installed = nullptr;

}  // namespace

void BRIX_SetWindowFactory(Win_WindowFactory* factory) {
    installed = factory;
}

Win_WindowFactory* BRIX_GetWindowFactory() {
    return installed;
}
