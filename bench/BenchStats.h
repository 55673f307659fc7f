#pragma once

// What the benchmarks report: the median of their runs.

#include <algorithm>
#include <vector>

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median of runs calls of f, each returning one measurement.
template <class F> double median(int runs, F&& f) {
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(f());
    return median(std::move(v));
}
