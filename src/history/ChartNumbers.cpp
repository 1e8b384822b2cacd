#include "ChartNumbers.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tavlen {

namespace {

std::uint32_t nextRow(std::size_t size)
{
    if (size >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("too many chart readings");
    }
    return static_cast<std::uint32_t>(size);
}

} // namespace

std::uint32_t ChartCheckTable::rowOf(const Uuid& id, std::int64_t time, std::int64_t ordinal)
{
    if (!ids.empty() && times.back() == time && ordinals.back() == ordinal && sameChartID(ids.back(), id)) {
        return nextRow(ids.size() - 1);
    }
    const std::uint32_t row = nextRow(ids.size());
    ids.push_back(id);
    times.push_back(time);
    ordinals.push_back(ordinal);
    return row;
}

ChartNumbers::ChartNumbers()
    : ChartNumbers(std::make_shared<ChartCheckTable>())
{}

ChartNumbers::ChartNumbers(std::initializer_list<ChartReading> readings)
    : ChartNumbers(std::vector<ChartReading>(readings))
{}

ChartNumbers::ChartNumbers(const std::vector<ChartReading>& readings)
{
    auto checks = std::make_shared<ChartCheckTable>();
    std::vector<std::uint32_t> rows;
    rows.reserve(readings.size());
    for (const ChartReading& reading : readings) {
        rows.push_back(checks->rowOf(reading.checkID, reading.timeMilliseconds, reading.ordinal));
    }
    m_storage = std::make_shared<Storage>();
    m_storage->checks = std::move(checks);
    reserve(readings.size());
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const ReadingValue& value = readings[i].value;
        append(rows[i], value.isNumber() ? value.number() : 0, readings[i].fieldID, readings[i].fieldName);
    }
}

ChartNumbers::ChartNumbers(std::shared_ptr<ChartCheckTable> checks)
    : m_storage(std::make_shared<Storage>())
{
    m_storage->checks = std::move(checks);
}

void ChartNumbers::append(std::uint32_t checkRow, double value, const Uuid& fieldID, const std::string& fieldName)
{
    std::vector<FieldRow>& fields = m_storage->fields;
    // A field's readings nearly always carry one name, so comparing with the last row keeps the table tiny.
    if (fields.empty() || !sameChartID(fields.back().id, fieldID) || fields.back().name != fieldName) {
        fields.push_back(FieldRow{fieldID, fieldName});
    }
    m_storage->points.push_back(Point{value, checkRow, nextRow(fields.size() - 1)});
    m_count = m_storage->points.size() - m_offset;
}

void ChartNumbers::push_back(const ChartReading& reading)
{
    const bool ownsAll = m_storage.use_count() == 1 && m_storage->checks.use_count() == 1 && m_offset == 0 &&
                         m_count == m_storage->points.size();
    if (!ownsAll) {
        *this = ChartNumbers(readings());
    }
    const std::uint32_t row = m_storage->checks->rowOf(reading.checkID, reading.timeMilliseconds, reading.ordinal);
    append(row, reading.value.isNumber() ? reading.value.number() : 0, reading.fieldID, reading.fieldName);
}

ChartNumbers ChartNumbers::slice(std::size_t first, std::size_t last) const
{
    ChartNumbers part = *this;
    last = std::min(last, m_count);
    first = std::min(first, last);
    part.m_offset = m_offset + first;
    part.m_count = last - first;
    return part;
}

ChartReading ChartNumbers::operator[](std::size_t index) const
{
    const Point& at = point(index);
    const FieldRow& field = m_storage->fields[at.fieldRow];
    const ChartCheckTable& checks = *m_storage->checks;
    return ChartReading{checks.ids[at.checkRow],
                        field.id,
                        checks.times[at.checkRow],
                        checks.ordinals[at.checkRow],
                        field.name,
                        ReadingValue::ofNumber(at.value)};
}

std::vector<ChartReading> ChartNumbers::readings() const
{
    std::vector<ChartReading> readings;
    readings.reserve(m_count);
    for (std::size_t i = 0; i < m_count; ++i) {
        readings.push_back((*this)[i]);
    }
    return readings;
}

ChartNumbers::Iterator ChartNumbers::begin() const
{
    return Iterator(this, 0);
}

ChartNumbers::Iterator ChartNumbers::end() const
{
    return Iterator(this, size());
}

bool operator==(const ChartNumbers& a, const ChartNumbers& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tavlen
