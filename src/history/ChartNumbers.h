#pragma once

#include "ChartReading.h"
#include "Uuid.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tavlen {

// Id equality as two word compares: the builder compares ids for every reading, where a call to memcmp each time
// shows.
inline bool sameChartID(const Uuid& a, const Uuid& b)
{
    std::uint64_t words[4];
    std::memcpy(&words[0], a.bytes().data(), 16);
    std::memcpy(&words[2], b.bytes().data(), 16);
    return words[0] == words[2] && words[1] == words[3];
}

// The checks the readings of one build belong to, each row an id, a start and an ordinal. The series of a build
// share one table, so a check's id and times are held once however many fields it has readings of. Rows are only
// ever appended.
struct ChartCheckTable
{
    std::vector<Uuid> ids;
    std::vector<std::int64_t> times;
    std::vector<std::int64_t> ordinals;

    // The row of the check, appended unless it is the last one already.
    std::uint32_t rowOf(const Uuid& id, std::int64_t time, std::int64_t ordinal);
};

// Number readings in order, held compactly: per reading its value, its check's row in a shared check table and
// its field's row in a small table of (field id, stored name). A slice shares the readings it was cut from, so a
// series' segments hold no reading twice. Read a reading back as a ChartReading by index, or walk them in order;
// it converts to and from a list of ChartReading.
class ChartNumbers
{
public:
    class Iterator;

    ChartNumbers();
    // Readings in the order given, with a table of their own.
    ChartNumbers(std::initializer_list<ChartReading> readings);
    ChartNumbers(const std::vector<ChartReading>& readings);
    // Empty, for readings of the checks in the table.
    explicit ChartNumbers(std::shared_ptr<ChartCheckTable> checks);

    // Only while nothing was sliced off: room for that many readings, and one more reading of the check at that
    // row of the table.
    void reserve(std::size_t count) { m_storage->points.reserve(count); }

    void append(std::uint32_t checkRow, double value, const Uuid& fieldID, const std::string& fieldName);

    // Appends a reading (its value as a number), first taking a copy of its own when these share their readings
    // or their check table with others.
    void push_back(const ChartReading& reading);

    // The readings at [first, last), sharing these.
    ChartNumbers slice(std::size_t first, std::size_t last) const;

    std::size_t size() const { return m_count; }

    bool empty() const { return m_count == 0; }

    ChartReading operator[](std::size_t index) const;

    ChartReading front() const { return (*this)[0]; }

    ChartReading back() const { return (*this)[m_count - 1]; }

    std::vector<ChartReading> readings() const;

    operator std::vector<ChartReading>() const { return readings(); }

    std::int64_t timeAt(std::size_t index) const { return m_storage->checks->times[point(index).checkRow]; }

    std::int64_t ordinalAt(std::size_t index) const { return m_storage->checks->ordinals[point(index).checkRow]; }

    const Uuid& checkIDAt(std::size_t index) const { return m_storage->checks->ids[point(index).checkRow]; }

    double valueAt(std::size_t index) const { return point(index).value; }

    Iterator begin() const;
    Iterator end() const;

    // Reading by reading, as ChartReading compares them.
    friend bool operator==(const ChartNumbers& a, const ChartNumbers& b);

private:
    struct Point
    {
        double value = 0;
        std::uint32_t checkRow = 0;
        std::uint32_t fieldRow = 0;
    };

    struct FieldRow
    {
        Uuid id;
        std::string name;
    };

    struct Storage
    {
        std::shared_ptr<ChartCheckTable> checks;
        std::vector<FieldRow> fields;
        std::vector<Point> points;
    };

    const Point& point(std::size_t index) const { return m_storage->points[m_offset + index]; }

    std::shared_ptr<Storage> m_storage;
    std::size_t m_offset = 0;
    std::size_t m_count = 0;
};

// Gives the readings by value, in order.
class ChartNumbers::Iterator
{
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = ChartReading;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ChartReading;

    Iterator(const ChartNumbers* numbers, std::size_t index)
        : m_numbers(numbers)
        , m_index(index)
    {}

    ChartReading operator*() const { return (*m_numbers)[m_index]; }

    Iterator& operator++()
    {
        ++m_index;
        return *this;
    }

    Iterator operator++(int)
    {
        Iterator before = *this;
        ++m_index;
        return before;
    }

    friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_index == b.m_index; }

private:
    const ChartNumbers* m_numbers;
    std::size_t m_index;
};

} // namespace tavlen
