#include "fuzz/solve/FuzzTuning.h"

#include "Driver/BRIX_Registry.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>

namespace solvefuzz {
namespace {

struct Tunable {
    bool flag;
    int index;
    std::vector<double> values;  // the one the registry holds is never drawn
};

const Tunable kTunables[] = {
    {true, 3, {0, 1}},          {true, 7, {0, 1}},         {true, 8, {0, 1}},
    {true, 9, {0, 1}},          {true, 11, {0, 1}},        {true, 12, {0, 1}},
    {true, 13, {0, 1}},         {true, 14, {0, 1}},        {true, 15, {0, 1}},
    {true, 16, {0, 1}},         {true, 17, {0, 1}},        {true, 18, {0, 1}},
    {false, 1, {0, 0.01, 0.1}}, {false, 3, {0, 1, 2, 3}},  {false, 4, {0, 1, 2, 3, 4, 5, 6}},
    {false, 11, {0, 1, 2}},     {false, 20, {0, 1, 2}},    {false, 21, {0, 1, 2}},
    {false, 22, {0, 1, 2}},     {false, 23, {0, 1, 2, 3}},
};

double Current(const Tunable& t) {
    return t.flag ? (BRIX_GetFlag(t.index) ? 1 : 0) : BRIX_GetParam(t.index);
}

}  // namespace

std::vector<Setting> RandomTuning(std::uint64_t seed, int count) {
    std::mt19937_64 g(seed);
    std::vector<Setting> tuning;
    while (static_cast<int>(tuning.size()) < count) {
        const Tunable& t = kTunables[g() % std::size(kTunables)];
        bool taken = std::any_of(tuning.begin(), tuning.end(), [&](const Setting& s) {
            return s.flag == t.flag && s.index == t.index;
        });
        const double value = t.values[g() % t.values.size()];
        if (!taken && value != Current(t)) {
            tuning.push_back({t.flag, t.index, value});
        }
    }
    return tuning;
}

std::string TuningText(const std::vector<Setting>& tuning) {
    std::string out;
    for (const Setting& t : tuning) {
        char text[64];
        std::snprintf(text, sizeof text, "%s%c%d=%g", out.empty() ? "" : " ", t.flag ? 'f' : 'p',
                      t.index, t.value);
        out += text;
    }
    return out;
}

TuningScope::TuningScope(const std::vector<Setting>& tuning) {
    for (const Setting& t : tuning) {
        if (t.flag) {
            saved_.push_back({true, t.index, BRIX_GetFlag(t.index) ? 1.0 : 0.0});
            BRIX_SetFlag(t.index, t.value != 0);
        } else {
            saved_.push_back({false, t.index, BRIX_GetParam(t.index)});
            BRIX_SetParam(t.index, t.value);
        }
    }
}

TuningScope::~TuningScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->flag) {
            BRIX_SetFlag(it->index, it->value != 0);
        } else {
            BRIX_SetParam(it->index, it->value);
        }
    }
}

}  // namespace solvefuzz
