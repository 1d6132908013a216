#pragma once
// The figure every benchmark reports first: the middle of the timings, or the mean of the two
// middle ones, 0 when there are none.
#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace bench
