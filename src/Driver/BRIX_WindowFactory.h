// The window factory the solver draws through (result and trace windows),
// one per solver context (Driver/BRIX_Context.h). None is installed in a new
// context: without one no window is made and nothing is said about it. The
// program installs its X11 factory in its context before it runs; a library
// solver and the threads that share a refinement draw nothing.
#ifndef BRIX_DRIVER_BRIX_WINDOWFACTORY_H
#define BRIX_DRIVER_BRIX_WINDOWFACTORY_H

class Win_WindowFactory;

// Borrows factory: it must outlive every window request; null removes it.
void BRIX_SetWindowFactory(Win_WindowFactory* factory);
// The installed factory (borrowed), or null.
Win_WindowFactory* BRIX_GetWindowFactory();

#endif
