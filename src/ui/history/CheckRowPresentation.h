#pragma once

#include "MonitorCheck.h"
#include "Reading.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a check's row and details show, as plain functions of the check and the history model's per-check state.
namespace tavlen::ui {

enum class OutcomeTint
{
    green,
    secondary,
    red
};

struct CheckOutcomePresentation
{
    QString label; // "Succeeded", "Cancelled", "Failed"
    QString symbolName;
    OutcomeTint tint;

    friend bool operator==(const CheckOutcomePresentation&, const CheckOutcomePresentation&) = default;
};

CheckOutcomePresentation presentationOf(MonitorCheckOutcome outcome);

// The expand control: its symbol, accessibility label, value and help.
struct ExpandControlTexts
{
    QString symbolName;
    QString label;
    QString value;
    QString help;
};

ExpandControlTexts expandControlTexts(bool expanded, std::int64_t startedAtMilliseconds);

// The readings shown of a loaded list: at most five until all are asked for, and the toggle between the two.
struct ReadingsList
{
    std::vector<Reading> shown;
    std::optional<QString> toggleTitle; // none for five readings or fewer
    QString toggleValue;                // what the toggle says to accessibility

    friend bool operator==(const ReadingsList&, const ReadingsList&) = default;
};

ReadingsList readingsListOf(const std::vector<Reading>& readings, bool showAll);

// What the readings column of a row holds, by the first rule that applies.
struct ReadingsColumn
{
    enum class Kind
    {
        failurePreview, // text: the failure message on one line
        readings,       // list
        noReadings,
        loadFailed, // text: the load's error, with Retry
        loading
    };

    Kind kind = Kind::loading;
    QString text;
    ReadingsList list;

    friend bool operator==(const ReadingsColumn&, const ReadingsColumn&) = default;
};

// readings and readingError are the model's entries for the check, if any.
ReadingsColumn readingsColumnOf(const MonitorCheck& check,
                                const std::vector<Reading>* readings,
                                const std::string* readingError,
                                bool showAll);

// The usage part of a check's details: the note that the check stored no usage, or the entries of the grid and
// whether none of them made a request. A legacy total is one entry without a step.
struct UsageSection
{
    bool unavailable = false;
    bool noModelRequests = false;
    std::vector<MonitorCheckUsage::Entry> entries;
};

UsageSection usageSectionOf(const std::optional<MonitorCheckUsage>& usage);

} // namespace tavlen::ui
