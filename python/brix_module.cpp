// brix._brix: the solving facade (Driver/BRIX_Solve.h) for Python. solve()
// takes the arguments as Python objects and converts them itself, so that a
// wrong type is a ValueError with one plain line like every refusal of the
// facade, runs the solver without the interpreter lock, and returns the
// result as a dict with the boxes as numpy arrays. The package brix
// (brix/__init__.py) wraps that dict in its result object.
#include "Driver/BRIX_Solve.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace py = pybind11;

namespace {

// value as a T; a value that does not convert is a ValueError with message.
template <typename T>
T Take(const py::handle& value, const char* message) {
    try {
        return value.cast<T>();
    } catch (const py::cast_error&) {
        throw py::value_error(message);
    }
}

// B from a sequence of (lo, hi) pairs or an n x 2 array; an empty sequence is
// the box of no variables.
brix::BoxBounds TakeBox(const py::handle& value) {
    const char* message = "B must be a sequence of (lo, hi) pairs, one per variable";
    using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;
    const Array array = Array::ensure(value);
    if (!array || (array.size() > 0 && (array.ndim() != 2 || array.shape(1) != 2))) {
        throw py::value_error(message);
    }
    brix::BoxBounds box;
    if (array.size() == 0) {
        return box;
    }
    const auto pairs = array.unchecked<2>();
    for (py::ssize_t i = 0; i < pairs.shape(0); ++i) {
        box.push_back({pairs(i, 0), pairs(i, 1)});
    }
    return box;
}

// Boxes of `dimension` components as an array of shape (boxes, dimension, 2):
// [i, k] is the (lo, hi) of component k of box i.
py::array_t<double> ToArray(const std::vector<brix::BoxBounds>& boxes, std::size_t dimension) {
    py::array_t<double> array({boxes.size(), dimension, std::size_t{2}});
    auto out = array.mutable_unchecked<3>();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t k = 0; k < dimension; ++k) {
            const auto ii = static_cast<py::ssize_t>(i);
            const auto kk = static_cast<py::ssize_t>(k);
            out(ii, kk, 0) = boxes[i][k].lo;
            out(ii, kk, 1) = boxes[i][k].hi;
        }
    }
    return array;
}

py::dict SolveFromPython(const py::handle& constraintArg, const py::handle& variablesArg,
                         const py::handle& boxArg, const py::handle& eps, const py::handle& timeout,
                         const py::handle& threads, const py::handle& flags,
                         const py::handle& params) {
    const auto constraint = Take<std::string>(constraintArg, "The constraint must be a string");
    const auto variables =
        Take<std::vector<std::string>>(variablesArg, "The variables must be a list of names");
    const brix::BoxBounds box = TakeBox(boxArg);
    brix::SolveOptions options;
    options.errorBound = Take<double>(eps, "The error bound must be a number >= 0");
    options.timeoutSeconds = Take<double>(timeout, "The time-out must be a number of seconds >= 0");
    options.threads = Take<int>(threads, "The number of threads must be an integer >= 1");
    options.flags = Take<std::map<int, bool>>(flags, "The flags must be a dict {index: bool}");
    options.params =
        Take<std::map<int, double>>(params, "The parameters must be a dict {index: number}");

    brix::SolveResult result;
    {
        // Solvers share nothing: calls from several Python threads run at once.
        py::gil_scoped_release unlocked;
        result = brix::Solve(constraint, variables, box, options);
    }
    if (!result.solved) {
        throw py::value_error(result.error);
    }

    py::dict out;
    out["variables"] = variables;
    out["box"] = ToArray({box}, box.size()).reshape({box.size(), std::size_t{2}});
    out["true_boxes"] = ToArray(result.trueBoxes, variables.size());
    out["false_boxes"] = ToArray(result.falseBoxes, variables.size());
    out["open_boxes"] = ToArray(result.openBoxes, variables.size());
    out["complete"] = result.complete;
    out["timed_out"] = result.timedOut;
    out["precision_lost"] = result.precisionLost;
    out["reasons"] = result.reasons;
    switch (result.truth) {
        case brix::Truth::True:
            out["truth"] = true;
            break;
        case brix::Truth::False:
            out["truth"] = false;
            break;
        case brix::Truth::Unknown:
            out["truth"] = py::none();
            break;
    }
    return out;
}

}  // namespace

PYBIND11_MODULE(_brix, m) {
    m.doc() = "The BRIX solver; use the package brix, which wraps this module.";
    m.def("solve", &SolveFromPython, py::arg("constraint"), py::arg("variables"), py::arg("box"),
          py::arg("eps"), py::arg("timeout"), py::arg("threads"), py::arg("flags"),
          py::arg("params"),
          "Solves constraint over variables and box; returns the result fields as a dict. "
          "Raises ValueError for what the solver refuses.");
}
