#include "Driver/BRIX_BuildProblem.h"

#include "Constraint/BRIX_Builder.h"
#include "Constraint/BRIX_QuantifiedClass.h"
#include "Constraint/BRIX_QuantifiedUnknown.h"
#include "Constraint/BRIX_Simplify.h"
#include "Driver/BRIX_Registry.h"
#include "IO/Ex_Stream.h"

#include "Search/BRIX_ApproximateRefine.h"

#include <deque>
#include <limits>
#include <memory>
#include <numeric>

void buildProblem(Ex_Expr F, std::vector<std::string> V, const Box& B, bool single, double eps,
                  bool& valid, BRIX_Problem& problem, const Box* inside) {
    valid = false;
    const int n = static_cast<int>(V.size());
    if (!BRIX_ValidVariableNames(V) || B.Dimension() != n) {
        return;
    }
    std::vector<int> indices(V.size());
    std::iota(indices.begin(), indices.end(), 0);
    std::unique_ptr<BRIX_Constraint> constraint(BuildConstraint(F, V, true, indices));
    if (constraint == nullptr) {
        return;
    }
    problem.variables = V;
    problem.box = B;
    problem.errorBound = eps;
    if (BRIX_GetFlag(BRIX_Flag::SimplifyConstraint)) {
        constraint.reset(Simplify(constraint.release()));
    }
    if (BRIX_GetFlag(BRIX_Flag::PrintSimplified)) {
        constraint->Print(Ex_StdOut(), &problem.variables);
    }
    problem.hasFreeVariables = n >= 1;
    if (problem.hasFreeVariables) {
        BRIX_Quantified* top = nullptr;
        if (single) {
            top = new BRIX_QuantifiedClass(B, indices, constraint.release(), false, 0);
        } else {
            top = new BRIX_QuantifiedUnknown(B, indices, constraint.release(), eps, 0);
        }
        if (inside != nullptr) {
            top->SetDomain(*inside);
        }
        constraint.reset(top);
        constraint->SetTraceFlag(false);
    }
    if (BRIX_GetFlag(BRIX_Flag::TraceTopLevel) &&
        !BRIX_GetFlag(BRIX_Flag::TraceFunctionInversion)) {
        constraint->SetTraceFlag(true);
    }
    delete problem.constraint;
    problem.constraint = constraint.release();
    problem.refined = false;
    valid = true;
}

namespace {

// [lo, hi] cut at a double strictly inside it; false when there is none (a
// point, an unbounded component, or no double between the two).
bool Cut(const Iv_Itvl<double>& c, Iv_Itvl<double>& lower, Iv_Itvl<double>& upper) {
    const double inf = std::numeric_limits<double>::infinity();
    if (!(c.lo > -inf && c.hi < inf && c.lo < c.hi)) {
        return false;
    }
    const double mid = c.lo / 2 + c.hi / 2;
    if (!(c.lo < mid && mid < c.hi)) {
        return false;
    }
    lower = Iv_Itvl<double>::FromBounds(c.lo, mid);
    upper = Iv_Itvl<double>::FromBounds(mid, c.hi);
    return true;
}

// B cut into about count parts of equal size, each time the oldest part on
// its widest component that can be cut; fewer when parts cannot be cut.
// Every part is a new box: nothing is shared with B or with another part.
std::vector<Box> CutIntoParts(const Box& B, std::size_t count) {
    std::deque<Box> parts;
    Box whole(B.Dimension());
    for (int i = 0; i < B.Dimension(); ++i) {
        whole.Set(i, B[i]);
    }
    parts.push_back(whole);
    std::size_t uncut = 0;  // parts in a row that could not be cut
    while (parts.size() < count && uncut < parts.size()) {
        Box part = parts.front();
        parts.pop_front();
        int widest = -1;
        double width = 0;
        Iv_Itvl<double> lower, upper;
        for (int i = 0; i < part.Dimension(); ++i) {
            const double w = part[i].hi - part[i].lo;
            if (w > width && Cut(part[i], lower, upper)) {
                widest = i;
                width = w;
            }
        }
        if (widest < 0) {
            parts.push_back(part);
            ++uncut;
            continue;
        }
        uncut = 0;
        Cut(part[widest], lower, upper);
        Box first(part.Dimension());
        Box second(part.Dimension());
        for (int i = 0; i < part.Dimension(); ++i) {
            first.Set(i, i == widest ? lower : part[i]);
            second.Set(i, i == widest ? upper : part[i]);
        }
        parts.push_back(first);
        parts.push_back(second);
    }
    return std::vector<Box>(parts.begin(), parts.end());
}

}  // namespace

bool buildPiece(const Ex_Expr& F, const std::vector<std::string>& V, const Box& part, bool single,
                double eps, const Box* inside, BRIX_Problem& piece) {
    std::unique_ptr<Box> partInside;
    if (inside != nullptr) {
        partInside = std::make_unique<Box>(inside->Dimension());
        for (int i = 0; i < inside->Dimension(); ++i) {
            partInside->Set(i, Intersect((*inside)[i], part[i]));
        }
    }
    // What building prints was printed for the whole problem already.
    Ex_SilentStream out;
    Ex_SilentStream err;
    Ex_StreamRedirect redirect(out, err);
    bool valid = false;
    buildProblem(F, V, part, single, eps, valid, piece, partInside.get());
    return valid;
}

bool buildSentencePiece(const BRIX_Problem& whole, const Box& part, BRIX_Problem& piece) {
    const auto* top = dynamic_cast<const BRIX_QuantifiedClass*>(whole.constraint);
    if (whole.hasFreeVariables || top == nullptr || part.Dimension() != top->box.Dimension()) {
        return false;
    }
    for (int i = 0; i < part.Dimension(); ++i) {
        if (!(top->box[i].lo <= part[i].lo && part[i].hi <= top->box[i].hi)) {
            return false;  // a part must lie inside the quantifier's box
        }
    }
    auto* node = new BRIX_QuantifiedClass(part, top->variables, top->sub->Copy(), top->isForall,
                                          top->NumberOfVariables());
    if (!top->InnerBox().IsEmpty()) {
        Box inner(part.Dimension());
        for (int i = 0; i < part.Dimension(); ++i) {
            inner.Set(i, Intersect(top->InnerBox()[i], part[i]));
        }
        node->SetDomain(inner);
    }
    releaseProblem(piece);
    piece.constraint = node;
    piece.hasFreeVariables = false;
    piece.variables = whole.variables;
    piece.box = whole.box;
    piece.errorBound = whole.errorBound;
    piece.refined = false;
    return true;
}

namespace {

// Frees every piece and forgets them.
void DropPieces(std::vector<BRIX_Problem>& pieces) {
    for (BRIX_Problem& piece : pieces) {
        releaseProblem(piece);
    }
    pieces.clear();
}

// A closed sentence whose outermost node is a classical quantifier: the
// sentence over about `count` parts of its box.
void BuildSentencePieces(std::size_t count, BRIX_Problem& problem) {
    const auto* top = dynamic_cast<const BRIX_QuantifiedClass*>(problem.constraint);
    if (top == nullptr) {
        return;  // another shape (a Boolean combination at the top): refined whole
    }
    const std::vector<Box> parts = CutIntoParts(top->box, count);
    if (parts.size() < 2) {
        return;
    }
    std::vector<BRIX_Problem> pieces(parts.size());
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (!buildSentencePiece(problem, parts[k], pieces[k])) {
            DropPieces(pieces);
            return;
        }
    }
    problem.pieces = std::move(pieces);
    problem.sentencePieces = true;
    problem.sentenceForall = top->isForall;
}

}  // namespace

void buildPieces(const Ex_Expr& F, const std::vector<std::string>& V, const Box& B, bool single,
                 double eps, const Box* inside, int threads, BRIX_Problem& problem) {
    problem.threads = 1;
    if (threads <= 1 || single || !problem.hasFreeVariables || problem.constraint == nullptr ||
        BRIX_GetParam(BRIX_Param::Sampling) != 0 ||
        BRIX_GetParam(BRIX_Param::RefinementTimeout) != 0) {
        return;
    }
    // Several parts a thread, so that threads finishing early find more work.
    const std::size_t count = static_cast<std::size_t>(threads) * 16;
    const std::vector<Box> parts = CutIntoParts(B, count);
    if (parts.size() < 2) {
        return;
    }
    std::vector<BRIX_Problem> pieces(2 * parts.size());
    for (std::size_t j = 0; j < pieces.size(); ++j) {
        if (!buildPiece(F, V, parts[j % parts.size()], single, eps, inside, pieces[j])) {
            DropPieces(pieces);
            return;
        }
    }
    problem.finerPieces.assign(std::make_move_iterator(pieces.begin() + parts.size()),
                               std::make_move_iterator(pieces.end()));
    pieces.resize(parts.size());
    problem.pieces = std::move(pieces);
    problem.threads = threads;
}

void buildSharedPieces(const Ex_Expr& F, const std::vector<std::string>& V, const Box& B,
                       bool single, double eps, const Box* inside, int sharers,
                       BRIX_Problem& problem) {
    if (problem.hasFreeVariables) {
        buildPieces(F, V, B, single, eps, inside, sharers, problem);
        return;
    }
    problem.threads = 1;
    if (sharers > 1 && problem.constraint != nullptr &&
        BRIX_GetParam(BRIX_Param::Sampling) == 0 &&
        BRIX_GetParam(BRIX_Param::RefinementTimeout) == 0) {
        BuildSentencePieces(static_cast<std::size_t>(sharers) * 16, problem);
    }
}
