#include "MonitorReorderDrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace tavlen::ui {
namespace {

const Uuid a = *Uuid::parse("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
const Uuid b = *Uuid::parse("1f2e3d4c-5b6a-4978-8695-a4b3c2d1e0f9");
const Uuid c = *Uuid::parse("2a2a2a2a-bbbb-4ccc-8ddd-eeeeeeeeeeee");

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return text;
}

TEST(MonitorReorderDropTest, thePayloadIsTheLowerCaseIdAndReadsBackInEitherCase)
{
    EXPECT_EQ(monitorDragPayload(a), "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");

    const struct
    {
        const char* name;
        std::string text;
        std::optional<Uuid> expected;
    } rows[] = {
        {"lower case", "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d", a},
        {"upper case", "0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D", a},
        {"mixed case", "0a1B2c3D-4e5F-4a6B-8c7D-9e0F1a2B3c4D", a},
        {"surrounding space", " 0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d", std::nullopt},
        {"braces", "{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}", std::nullopt},
        {"no hyphens", "0a1b2c3d4e5f4a6b8c7d9e0f1a2b3c4d", std::nullopt},
        {"a sentence", "Prices", std::nullopt},
        {"empty", "", std::nullopt},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseMonitorDragPayload(row.text), row.expected);
    }
}

TEST(MonitorReorderDropTest, aDropIsTakenOnlyWhileActionsMayStartNoLeaveQuestionRunsAndOneItemArrives)
{
    const struct
    {
        const char* name;
        MonitorDropArrival arrival;
        bool accepted;
    } rows[] = {
        {"one item while idle", {true, false, 1}, true},
        {"workspace busy, sheet open or deletion pending", {false, false, 1}, false},
        {"leave question running", {true, true, 1}, false},
        {"two items", {true, false, 2}, false},
        {"nothing", {true, false, 0}, false},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(acceptsMonitorDrop(row.arrival), row.accepted);
        EXPECT_EQ(canReorderMonitors(row.arrival.canStartAction, row.arrival.isNavigating),
                  row.arrival.canStartAction && !row.arrival.isNavigating)
            << "a drag carries the payload under the same condition";
    }
}

TEST(MonitorReorderDropTest, theArrivedTextBecomesAMoveOnlyWhileTheListIsUnchangedAndNamesOneOfItsMonitors)
{
    const std::vector<Uuid> list{a, b, c};

    const struct
    {
        const char* name;
        std::vector<Uuid> current;
        std::optional<std::string> text;
        std::size_t destination;
        std::optional<MonitorMove> expected;
    } rows[] = {
        {"first row dropped after the second", list, a.lowercaseString(), 2, MonitorMove{0, 2}},
        {"destination passed on unchanged", list, a.lowercaseString(), 1, MonitorMove{0, 1}},
        {"last row dropped first", list, c.lowercaseString(), 0, MonitorMove{2, 0}},
        {"upper-case text of a listed monitor", list, upper(b.lowercaseString()), 3, MonitorMove{1, 3}},
        {"no text", list, std::nullopt, 0, std::nullopt},
        {"text that is no id", list, std::string("https://a.test/"), 0, std::nullopt},
        {"id of no listed monitor", list, Uuid::random().lowercaseString(), 0, std::nullopt},
        {"monitor added meanwhile", {a, b, c, Uuid::random()}, a.lowercaseString(), 2, std::nullopt},
        {"monitor deleted meanwhile", {a, c}, a.lowercaseString(), 2, std::nullopt},
        {"list reordered meanwhile", {b, a, c}, a.lowercaseString(), 2, std::nullopt},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(resolveMonitorDrop(list, row.current, row.text, row.destination), row.expected);
    }
}

TEST(MonitorReorderDropTest, theInsertionOffsetFallsBeforeTheFirstRowWhoseMiddleIsBelowThePointer)
{
    const std::vector<RowSpan> rows{{0, 40}, {40, 80}, {80, 121}};

    const struct
    {
        const char* name;
        int y;
        std::size_t offset;
    } cases[] = {
        {"above the list", -5, 0},
        {"upper half of the first row", 10, 0},
        {"exactly the first row's middle", 20, 1},
        {"lower half of the first row", 30, 1},
        {"upper half of the second row", 50, 1},
        {"lower half of the last row", 110, 3},
        {"below every row", 400, 3},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(insertionOffsetAt(rows, row.y), row.offset);
    }
    EXPECT_EQ(insertionOffsetAt({}, 10), 0u) << "an empty list takes a drop at 0";
}

} // namespace
} // namespace tavlen::ui
