"""BRIX for Python: quantified constraints over the reals, solved into boxes.

solve() splits a box B into boxes on which the constraint is proved true,
boxes on which it is proved false and open boxes left undecided:

    import brix
    r = brix.solve("x^2 + y^2 <= 1", ["x", "y"], [(-1.5, 1.5), (-1.5, 1.5)], eps=0.05)
    r.true_boxes.shape      # (boxes, variables, 2): r.true_boxes[i, k] is (lo, hi)
    r.plot()                # green true, red false, white open (matplotlib)
"""

from . import _brix

__all__ = ["solve", "Result"]


def solve(constraint, variables, box, eps=0.5, timeout=0, threads=1, flags=None, params=None):
    """Solves constraint (BRIX's input language, without the closing ';') over
    the free variables (a list of names) and box (one (lo, hi) pair per
    variable, or an n x 2 array).

    eps: relative error bound; the refinement stops once the open volume is at
    most eps times the volume of box. timeout: seconds of processor time, 0 for
    none. threads: threads that share the refinement. flags, params: tuning
    switches by index ({index: bool}, {index: number}), for this call only.

    Returns a Result. A time-out or a loss of precision gives a partial result
    (complete is False). Raises ValueError with BRIX's message for what it
    refuses: a syntax error, an invalid constraint, a box that does not match
    the variables, a bad option or an argument of the wrong type.
    """
    fields = _brix.solve(constraint, variables, box, eps, timeout, threads,
                         {} if flags is None else flags, {} if params is None else params)
    return Result(fields)


class Result:
    """The outcome of solve().

    true_boxes, false_boxes, open_boxes: float64 arrays of shape (n, d, 2) for
    d variables; [i, k] is the (lo, hi) of variable k in box i. The bounds are
    the solver's own doubles: the constraint holds at every point of a true
    box and fails at every point of a false box; the open boxes cover the rest.
    complete: the error bound was reached (or a sentence decided).
    timed_out, precision_lost: why a result is partial; reasons says it in
    words, one line each. truth: True or False for a proved constraint without
    variables, None otherwise. variables, box: what was solved.
    """

    def __init__(self, fields):
        self.variables = fields["variables"]
        self.box = fields["box"]
        self.true_boxes = fields["true_boxes"]
        self.false_boxes = fields["false_boxes"]
        self.open_boxes = fields["open_boxes"]
        self.complete = fields["complete"]
        self.timed_out = fields["timed_out"]
        self.precision_lost = fields["precision_lost"]
        self.reasons = fields["reasons"]
        self.truth = fields["truth"]

    def __repr__(self):
        if self.variables:
            what = "%s: %d true, %d false, %d open boxes" % (
                ", ".join(self.variables), len(self.true_boxes), len(self.false_boxes),
                len(self.open_boxes))
        else:
            what = {True: "true", False: "false", None: "undecided"}[self.truth]
        status = "complete" if self.complete else "partial: " + "; ".join(self.reasons)
        return "<brix.Result %s (%s)>" % (what, status)

    def plot(self, ax=None):
        """Draws the boxes on the matplotlib axes ax (new ones when None) and
        returns the axes: true boxes green, false red, open white with a thin
        outline. One variable is drawn as strips along x, two as rectangles;
        other numbers of variables raise ValueError."""
        dimension = len(self.variables)
        if dimension not in (1, 2):
            raise ValueError("plot draws one or two variables, not %d" % dimension)
        from matplotlib.patches import Rectangle

        if ax is None:
            import matplotlib.pyplot as plt

            _, ax = plt.subplots()
        kinds = ((self.true_boxes, "green", "none", 0),
                 (self.false_boxes, "red", "none", 0),
                 (self.open_boxes, "white", "black", 0.3))
        for boxes, face, edge, width in kinds:
            for b in boxes:
                (x0, x1), (y0, y1) = b[0], (b[1] if dimension == 2 else (0, 1))
                ax.add_patch(Rectangle((x0, y0), x1 - x0, y1 - y0, facecolor=face,
                                       edgecolor=edge, linewidth=width))
        ax.set_xlim(*self.box[0])
        ax.set_xlabel(self.variables[0])
        if dimension == 2:
            ax.set_ylim(*self.box[1])
            ax.set_ylabel(self.variables[1])
        else:
            ax.set_ylim(0, 1)
            ax.set_yticks([])
        return ax
