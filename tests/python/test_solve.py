"""brix.solve: proved boxes checked exactly, sentences, partial results and
refusals."""

import re
from fractions import Fraction

import numpy as np
import pytest

import brix

SQUARE = [(-1.5, 1.5), (-1.5, 1.5)]


def volume(boxes):
    total = Fraction(0)
    for box in boxes:
        size = Fraction(1)
        for lo, hi in box:
            size *= Fraction(hi) - Fraction(lo)
        total += size
    return total


def nearest_sq(lo, hi):
    """The least t^2 over [lo, hi], exactly."""
    return Fraction(0) if lo <= 0 <= hi else min(Fraction(lo) ** 2, Fraction(hi) ** 2)


def farthest_sq(lo, hi):
    return max(Fraction(lo) ** 2, Fraction(hi) ** 2)


def check_cover(result, box, eps):
    """The three lists tile box (nothing lost) within the error bound."""
    assert volume(result.true_boxes) + volume(result.false_boxes) + volume(result.open_boxes) \
        == volume([box])
    assert volume(result.open_boxes) <= Fraction(eps) * volume([box])


def test_disc_boxes_hold_exactly():
    # The largest x^2 + y^2 over a true box is at most 1, the least over a false box above 1.
    r = brix.solve("FORALL([t], [[0, 1]], x^2 + y^2 + t <= 2)", ["x", "y"], np.array(SQUARE),
                   eps=0.05)
    assert r.complete and not r.timed_out and not r.precision_lost and r.reasons == []
    assert r.truth is None and r.variables == ["x", "y"]
    assert len(r.true_boxes) > 0 and len(r.false_boxes) > 0
    for b in r.true_boxes:
        assert farthest_sq(*b[0]) + farthest_sq(*b[1]) <= 1
    for b in r.false_boxes:
        assert nearest_sq(*b[0]) + nearest_sq(*b[1]) > 1
    check_cover(r, SQUARE, 0.05)


def test_below_cubic_in_one_variable():
    # Some t in [-1, 1] has x <= t^3 - t exactly when x <= 2 / (3 sqrt 3), c^2 = 4/27.
    r = brix.solve("EXISTS([t], [[-1, 1]], x <= t^3 - t)", ["x"], [(-1, 1)], eps=0.01)
    assert r.complete and r.true_boxes.shape[1:] == (1, 2)
    c2 = Fraction(4, 27)
    for (lo, hi), in r.true_boxes:
        assert hi <= 0 or Fraction(hi) ** 2 <= c2
    for (lo, hi), in r.false_boxes:
        assert lo > 0 and Fraction(lo) ** 2 > c2
    check_cover(r, [(-1, 1)], 0.01)


@pytest.mark.parametrize("sentence, truth", [
    ("FORALL([x], [[0, 1]], x^3 - x <= 0.5)", True),
    ("EXISTS([x], [[0, 1]], x^2 < -1)", False),
])
def test_sentences(sentence, truth):
    r = brix.solve(sentence, [], [])
    assert r.truth is truth and r.complete
    for boxes in (r.true_boxes, r.false_boxes, r.open_boxes):
        assert boxes.shape == (0, 0, 2) and boxes.dtype == np.float64
    assert repr(r) == "<brix.Result %s (complete)>" % str(truth).lower()


def test_partial_results():
    r = brix.solve("x^2 + y^2 <= 1", ["x", "y"], SQUARE, eps=0, timeout=0.2)
    assert r.timed_out and not r.complete and r.reasons[0].startswith("time-out after")
    check_cover(r, SQUARE, 1)
    assert "partial: time-out after" in repr(r)

    r = brix.solve("x^2 <= 2", ["x"], [(0, 2)], eps=0)
    assert r.precision_lost and not r.complete and not r.timed_out
    assert r.reasons[0].startswith("out of precision on")
    assert all(lo <= 2 ** 0.5 <= hi for (lo, hi), in r.open_boxes)
    assert r.false_boxes.shape[1:] == (1, 2) and len(r.open_boxes) >= 1


def test_options_are_accepted():
    # Tuning switches and threads change how, not what: the result is still complete.
    for options in ({"threads": 2}, {"flags": {3: False}, "params": {20: 1}}):
        r = brix.solve("x <= 0.5", ["x"], [(0, 1)], eps=0.1, **options)
        assert r.complete and len(r.true_boxes) > 0


def test_threads_solve_at_once_as_in_sequence():
    # The interpreter lock is released and solvers share nothing: problems
    # solved from several Python threads come back as they do one by one.
    import threading
    problems = [("x^2 + y^2 <= 1", ["x", "y"], [(-1.5, 1.5), (-1.5, 1.5)], 0.02),
                ("x^3 - x <= y", ["x", "y"], [(-2, 2), (-2, 2)], 0.02),
                ("x^2 <= 2", ["x"], [(0, 2)], 0.001)] * 2
    alone = [brix.solve(c, v, b, eps=e) for c, v, b, e in problems]
    together = [None] * len(problems)

    def run(i):
        c, v, b, e = problems[i]
        together[i] = brix.solve(c, v, b, eps=e)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(len(problems))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(alone, together):
        for name in ("true_boxes", "false_boxes", "open_boxes"):
            assert np.array_equal(getattr(a, name), getattr(b, name))


@pytest.mark.parametrize("change, message", [
    ({"constraint": "x <= "}, "Syntax error"),
    ({"constraint": "x + 1"}, "Expression x + 1 is not a valid constraint"),
    ({"variables": ["x", "y"]}, "Error: Dimension of B is 1 instead of 2!"),
    ({"box": [(1, 0)]}, "Component 0 of B is not an interval [lo, hi]"),
    ({"box": [(0, 1, 2)]}, "B must be a sequence of"),
    ({"box": [[0, 1], [2]]}, "B must be a sequence of"),
    ({"flags": {19: True}}, "There is no flag 19"),
    ({"params": {-1: 0.0}}, "There is no parameter -1"),
    ({"eps": -1}, "The error bound must be a number >= 0"),
    ({"threads": 0}, "The number of threads must be at least 1"),
    ({"constraint": 3}, "The constraint must be a string"),
    ({"variables": "x"}, "The variables must be a list of names"),
    ({"threads": 1.5}, "The number of threads must be an integer"),
    ({"flags": {"3": True}}, "The flags must be a dict"),
])
def test_refusals_raise_value_error(change, message):
    args = {"constraint": "x <= 1", "variables": ["x"], "box": [(0, 2)]}
    args.update(change)
    with pytest.raises(ValueError, match="^" + re.escape(message)):
        brix.solve(**args)
