#pragma once

namespace tavlen {

// The closed y range lower...upper of a number lane.
struct ChartNumericDomain
{
    double lower = 0;
    double upper = 1;

    friend bool operator==(const ChartNumericDomain&, const ChartNumericDomain&) = default;
};

} // namespace tavlen
