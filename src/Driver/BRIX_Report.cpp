#include "Driver/BRIX_Report.h"

#include "IO/Ex_Stream.h"
#include "Interval/Iv_Box.h"
#include "Interval/Iv_Convert.h"
#include "Interval/Iv_Round.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_ContinuityInfo.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"
#include "System/SAL.h"

namespace {

// The three lists of the top state; all null when there is no store (no
// state was made), so the outputs show empty lists.
struct ResultLists {
    BRIX_StackEl* trueBoxes = nullptr;
    BRIX_StackEl* falseBoxes = nullptr;
    BRIX_StackEl* open = nullptr;
};

ResultLists ListsOf(const BRIX_Problem& problem) {
    ResultLists lists;
    const auto* store = dynamic_cast<const BRIX_USASQuantifiedStore*>(problem.approximation);
    if (store != nullptr) {
        lists.trueBoxes = store->trueBoxes;
        lists.falseBoxes = store->falseBoxes;
        lists.open = store->stack;
    }
    return lists;
}

// The box's volume added to sum in double precision (rounded to nearest). An
// empty box holds no point and adds nothing.
double AddVolume(double sum, const Box& box) {
    const double volume = box.IsEmpty() ? 0.0 : box.Volume();
    return AddNear(sum, volume);
}

// Prints every box of the list, one a line, with the given rounding direction
// of the installed interval format; answers their total volume.
double PrintBoxList(Ex_OutputStream& out, const BRIX_StackEl* head, bool withContinuity) {
    double sum = 0.0;
    for (const BRIX_StackEl* e = head; e != nullptr; e = e->next) {
        out << e->box;
        if (withContinuity) {
            out << " " << ContinuityToExpr(e->continuity);
        }
        out << "\n";
        sum = AddVolume(sum, e->box);
    }
    return sum;
}

void PrintCount(Ex_OutputStream& out, const char* heading, const BRIX_StackEl* head) {
    long count = 0;
    double sum = 0.0;
    for (const BRIX_StackEl* e = head; e != nullptr; e = e->next) {
        ++count;
        sum = AddVolume(sum, e->box);
    }
    out << heading << count << " boxes of volume " << sum << "\n";
}

}  // namespace

void printBoxes(BRIX_Problem& problem, double eps) {
    if (!problem.hasFreeVariables) {
        return;
    }
    approximateRefine(problem);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    const ResultLists lists = ListsOf(problem);
    Ex_OutputStream& out = Ex_StdOut();

    // Proved boxes are printed inside the exact ones, so every printed point
    // is proved; the open boxes around the exact ones, so no open point is
    // left out of the printed open boxes.
    Iv_ItvlFormat format;
    format.SetOutward();
    out.Formats().Add(&format);
    out << "\n";
    format.SetInward();
    out << "F, rounded inwards, is true on\n";
    const double by = PrintBoxList(out, lists.trueBoxes, false);
    format.SetInward();
    out << "\nF, rounded inwards, is false on\n";
    const double bn = PrintBoxList(out, lists.falseBoxes, false);
    format.SetOutward();
    out << "\nThe truth of F, rounded outwards is unknown on\n";
    const double bu = PrintBoxList(out, lists.open, true);
    out.Formats().Remove("Interval");
    out << "\n";

    if (eps == 0.0) {
        return;
    }
    const double rel = DivNear(bu, AddNear(AddNear(bu, by), bn));
    const double total = AddNear(AddNear(by, bn), bu);
    out << "Relative error: " << rel << " (" << DivNear(rel, eps) << " Eps)";
    out << "  |By| = " << by << "  |Bn| = " << bn << "  |Bu| = " << bu << "  |By+Bn+Bu| = " << total
        << "\n";
    out << "\n";
}

void printQuantities(BRIX_Problem& problem) {
    approximateRefine(problem);
    SAL_Interface::SetRounding(SAL_RoundNearest);
    Ex_OutputStream& out = Ex_StdOut();
    if (!problem.hasFreeVariables) {
        if (problem.provedTrue) {
            out << "F is true\n";
        }
        if (problem.provedFalse) {
            out << "F is false\n";
        }
        return;
    }
    const ResultLists lists = ListsOf(problem);
    out << "\n";
    PrintCount(out, "F is true on ", lists.trueBoxes);
    PrintCount(out, "F is false on ", lists.falseBoxes);
    PrintCount(out, "F has no truth value on ", lists.open);
}

void printAppletData(BRIX_Problem&) {}
