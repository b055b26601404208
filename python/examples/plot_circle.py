"""Draws the unit disc as BRIX solves it: docs/python-circle.png.

Run from the repository root after `make build`:
    PYTHONPATH=build/python python3 python/examples/plot_circle.py
"""

import sys

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402

import brix  # noqa: E402

r = brix.solve("x^2 + y^2 <= 1", ["x", "y"], [(-1.5, 1.5), (-1.5, 1.5)], eps=0.05)
print(r)
fig, ax = plt.subplots(figsize=(5, 5))
r.plot(ax)
ax.set_aspect("equal")
ax.set_title("x^2 + y^2 <= 1, eps = 0.05")
fig.savefig(sys.argv[1] if len(sys.argv) > 1 else "docs/python-circle.png", dpi=80,
            bbox_inches="tight")
