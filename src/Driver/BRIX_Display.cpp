#include "Driver/BRIX_Display.h"

#include "Driver/BRIX_ResultPainter.h"
#include "IO/Ex_Stream.h"
#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USASQuantified.h"

#include <memory>

#include <unistd.h>

namespace {

// One-dimensional results are drawn as strips of the window's full height.
Box Drawable(const Box& box) {
    if (box.Dimension() != 1) {
        return box;
    }
    Box wide(2);
    wide.Set(0, box[0]);
    wide.Set(1, Iv_Itvl<double>(0.0, 1.0));
    return wide;
}

bool AnyMaskHas(const MaskList& masks, unsigned bit) {
    for (int i = 0; i < masks.Size(); ++i) {
        if ((masks[i] & (1u << bit)) != 0) {
            return true;
        }
    }
    return false;
}

void MarkOpenBox(const ResultPainter& painter, const Box& box, int dimension,
                 const ContinuityInfo& continuity) {
    if (dimension == 2) {
        painter.MarkUnknownBox(box, true, AnyMaskHas(continuity.trueSets, 1),
                               AnyMaskHas(continuity.trueSets, 0));
    } else if (continuity.trueSets.Size() > 0) {
        painter.MarkUnknownBox(box, true, false, true);
    } else if (continuity.falseSets.Size() > 0) {
        painter.MarkUnknownBox(box, false, false, true);
    }
}

}  // namespace

bool displayResult(BRIX_Problem& problem, bool borders, Box box, bool adjust, bool wait) {
    if (!problem.hasFreeVariables) {
        return false;
    }
    approximateRefine(problem);
    int dimension = box.Dimension();
    if (dimension >= 3 || dimension < 0) {
        return false;
    }
    Ex_OutputStream& out = Ex_StdOut();
    out << "Window: " << box << "\n";
    std::unique_ptr<Win_Window> window(MakeResultWindow(box, adjust));
    if (window == nullptr) {
        return false;  // MakeWindow said why; the other outputs follow
    }
    ResultPainter painter;
    painter.window = window.get();
    painter.box = box;
    painter.borders = borders;

    if (problem.approximation != nullptr && problem.approximation->IsStore()) {
        auto* store = static_cast<BRIX_USASQuantifiedStore*>(problem.approximation);
        for (BRIX_StackEl* e = store->trueBoxes; e != nullptr; e = e->next) {
            painter.PaintTrueBox(Drawable(e->box));
        }
        for (BRIX_StackEl* e = store->falseBoxes; e != nullptr; e = e->next) {
            painter.PaintFalseBox(Drawable(e->box));
        }
        for (BRIX_StackEl* e = store->stack; e != nullptr; e = e->next) {
            Box drawn = Drawable(e->box);
            painter.PaintUnknownBox(drawn);
            MarkOpenBox(painter, drawn, dimension, e->continuity);
        }
    }
    window->Show();

    out << "Enter ; to close window\n";
    out.Flush();
    if (wait) {
        sleep(15);
    } else {
        char answer = 0;
        Ex_StdIn() >> answer;  // any answer, or the end of input, closes the window
    }
    return true;
}
