"""Result.plot: one patch per box, in the colour of its kind."""

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402
import pytest  # noqa: E402
from matplotlib.colors import to_rgba  # noqa: E402

import brix  # noqa: E402


def colours(result):
    return [to_rgba("green")] * len(result.true_boxes) + \
        [to_rgba("red")] * len(result.false_boxes) + [to_rgba("white")] * len(result.open_boxes)


def test_strips_for_one_variable():
    r = brix.solve("x^2 <= 0.5", ["x"], [(-1, 1)], eps=0.1)
    _, ax = plt.subplots()
    assert r.plot(ax) is ax
    assert [p.get_facecolor() for p in ax.patches] == colours(r)
    # Strips of full height, lying along the boxes' x bounds.
    boxes = list(r.true_boxes) + list(r.false_boxes) + list(r.open_boxes)
    for patch, box in zip(ax.patches, boxes):
        assert (patch.get_x(), patch.get_x() + patch.get_width()) == tuple(box[0])
        assert (patch.get_y(), patch.get_height()) == (0, 1)
    assert ax.get_xlim() == (-1, 1)
    plt.close("all")


def test_rectangles_for_two_variables():
    r = brix.solve("x^2 + y^2 <= 1", ["x", "y"], [(-1.5, 1.5), (-1, 2)], eps=0.2)
    ax = r.plot()
    assert isinstance(ax, matplotlib.axes.Axes)
    assert [p.get_facecolor() for p in ax.patches] == colours(r)
    b = r.open_boxes[0]
    open_patch = ax.patches[len(r.true_boxes) + len(r.false_boxes)]
    assert (open_patch.get_x(), open_patch.get_y()) == (b[0][0], b[1][0])
    assert (ax.get_xlim(), ax.get_ylim()) == ((-1.5, 1.5), (-1, 2))
    assert (ax.get_xlabel(), ax.get_ylabel()) == ("x", "y")
    plt.close("all")


@pytest.mark.parametrize("variables", [["x", "y", "z"], []])
def test_other_dimensions_refused(variables):
    r = brix.solve("x + y + z <= 1" if variables else "1 <= 2", variables,
                   [(0, 1)] * len(variables))
    with pytest.raises(ValueError, match="one or two variables"):
        r.plot()
