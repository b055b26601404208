// Entry point of the brix executable.
#include "Driver/BRIX_Run.h"

#include "System/SAL.h"

int main(int argc, char** argv) {
    // Rounding to nearest, exceptions masked, registered modules started.
    (void)SAL_Interface::StartUp(&argc, &argv);
    return Run(argc, argv);
}
