#pragma once

#include "Uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

// One stretch of unchanged text on a text lane, clipped to the window.
struct ChartTextInterval
{
    Uuid id; // the check of the reading that started the run
    std::string text;
    std::string fieldName; // as stored with the reading that started the run
    std::int64_t startMilliseconds = 0;
    std::int64_t endMilliseconds = 0;
    bool isOpenEnded = false;                      // no reading with another text ended the run
    std::int64_t lastConfirmationMilliseconds = 0; // the run's last reading before the window end
    bool startedBeforeRange = false;
    // Set when the run reaches the window end without an ending reading inside the window: from here on no
    // reading in the window confirms the text.
    std::optional<std::int64_t> unconfirmedStartMilliseconds;

    // The length in words ("2d 3h" in English), none for an open-ended interval.
    std::optional<std::string> durationText() const;

    friend bool operator==(const ChartTextInterval&, const ChartTextInterval&) = default;
};

// A non-negative length of time in at most two adjacent units from days down to seconds, abbreviated, zero units
// left out, no fraction ("1h 5m", "0s"), in the given ICU locale or, when none is given, the user's.
std::string chartDurationText(std::int64_t milliseconds, const std::string& localeID = {});

} // namespace tavlen
