// The settings of one run taken from the command line, other than the
// registry entries set by "-f" and "-p".
#ifndef BRIX_DRIVER_BRIX_OPTIONS_H
#define BRIX_DRIVER_BRIX_OPTIONS_H

// Every toggle starts at the value below and is inverted each time its
// option appears, so giving an option twice restores its initial value.
struct BRIX_Options {
    bool single = false;             // -s   seek one true box (existential top quantifier)
    bool silentInput = false;        // -is  no banner, prompts, echoes or dialogue messages
    bool silentComputation = false;  // -cs  output switched off while the constraint is built
    bool outputBoxes = false;        // -ob  box listing
    bool outputQuantities = true;    // -oq  quantitative summary
    bool outputProfile = true;       // -opf profiling report
    bool display = false;            // -d   result window
    bool displayBorders = true;      // -db  box borders in the window
    bool displayWait = false;        // -w   wait before closing the window
    bool outputApplet = false;       // -oj  applet output
    bool displayAdjust = false;      // -da  adjust the window

    double errorBound = 0.5;              // -e EPS: relative error bound of the run
    bool approximateQuantifiers = false;  // -aq EPS given
    double approximationError = 0.0;      // its EPS
    int threads = 1;                      // -j N: threads sharing the refinement
};

#endif
