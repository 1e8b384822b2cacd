#pragma once

#include <cstdint>
#include <vector>

namespace tavlen::ui {

// The vertical extent of the history list's rows, by index: each row's height and where it starts. Any height
// changes and any position is found in logarithmic time (a Fenwick tree over the heights), so a list of 100,000
// checks costs what its visible rows cost.
class HistoryRowOffsets
{
public:
    HistoryRowOffsets() = default;
    explicit HistoryRowOffsets(std::vector<int> heights);

    int count() const { return static_cast<int>(m_heights.size()); }

    int height(int index) const { return m_heights[static_cast<std::size_t>(index)]; }

    // Where row `index` starts; the total height for `index == count()`.
    std::int64_t top(int index) const;

    std::int64_t total() const { return top(count()); }

    // The row that holds position y (rows own their top edge); count() at or beyond the end, 0 above the start.
    int indexAt(std::int64_t y) const;

    void setHeight(int index, int height);

private:
    std::vector<int> m_heights;
    std::vector<std::int64_t> m_tree; // 1-based: m_tree[i] sums the heights of (i - lowbit(i), i]
};

} // namespace tavlen::ui
