#include "HistoryRowOffsets.h"

#include <bit>

namespace tavlen::ui {

namespace {

std::size_t lowestBit(std::size_t i)
{
    return i & (~i + 1);
}

} // namespace

HistoryRowOffsets::HistoryRowOffsets(std::vector<int> heights)
    : m_heights(std::move(heights))
    , m_tree(m_heights.size() + 1, 0)
{
    // Linear build: each node passes its sum on to its parent.
    for (std::size_t i = 1; i < m_tree.size(); ++i) {
        m_tree[i] += m_heights[i - 1];
        const std::size_t parent = i + lowestBit(i);
        if (parent < m_tree.size()) {
            m_tree[parent] += m_tree[i];
        }
    }
}

std::int64_t HistoryRowOffsets::top(int index) const
{
    std::int64_t sum = 0;
    for (auto i = static_cast<std::size_t>(index); i > 0; i -= lowestBit(i)) {
        sum += m_tree[i];
    }
    return sum;
}

int HistoryRowOffsets::indexAt(std::int64_t y) const
{
    if (y < 0) {
        return 0;
    }
    // The number of rows that end at or above y: the largest prefix whose sum is at most y.
    std::size_t position = 0;
    std::int64_t remaining = y;
    for (std::size_t step = std::bit_floor(m_heights.size()); step > 0; step >>= 1) {
        const std::size_t next = position + step;
        if (next < m_tree.size() && m_tree[next] <= remaining) {
            position = next;
            remaining -= m_tree[next];
        }
    }
    return static_cast<int>(position);
}

void HistoryRowOffsets::setHeight(int index, int height)
{
    const auto at = static_cast<std::size_t>(index);
    const std::int64_t change = static_cast<std::int64_t>(height) - m_heights[at];
    m_heights[at] = height;
    for (std::size_t i = at + 1; i < m_tree.size(); i += lowestBit(i)) {
        m_tree[i] += change;
    }
}

} // namespace tavlen::ui
