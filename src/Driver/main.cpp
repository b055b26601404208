// Entry point of the brix executable.
#include "Driver/BRIX_Run.h"
#include "Driver/BRIX_WindowFactory.h"
#include "System/SAL.h"
#include "Win/Win_XWindow.h"

int main(int argc, char** argv) {
    // Rounding to nearest, exceptions masked, registered modules started.
    (void)SAL_Interface::StartUp(&argc, &argv);
    // The program draws its windows (-d, the trace flags) on the X display.
    static XWindowFactory windows;
    BRIX_SetWindowFactory(&windows);
    return Run(argc, argv);
}
