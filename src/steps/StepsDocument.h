#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserRect.h"
#include "Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavlen {

// One value a Read entry asks for.
struct StepsDocumentField
{
    enum class ValueType
    {
        text,
        number,
    };

    Uuid id;
    std::string name; // as typed
    ValueType type = ValueType::text;
    std::string instruction; // as typed, empty when there are none

    // Names and instructions by UTF-8 bytes.
    friend bool operator==(const StepsDocumentField& a, const StepsDocumentField& b);
};

// The content of the Open page entry.
struct StepsDocumentOpenPage
{
    // The longest delay an Open page step may wait, in seconds.
    static constexpr std::int64_t maximumDelay = 60;

    std::string url;        // as typed, not trimmed
    std::int64_t delay = 0; // seconds between loading and the screenshot
    std::optional<BrowserCaptureSettings> viewport;

    // The URL by UTF-8 bytes.
    friend bool operator==(const StepsDocumentOpenPage& a, const StepsDocumentOpenPage& b);
};

// The content of a Read entry.
struct StepsDocumentRead
{
    std::vector<StepsDocumentField> fields;
    std::optional<Uuid> modelID;
    std::optional<std::int64_t> timeoutSeconds;

    friend bool operator==(const StepsDocumentRead& a, const StepsDocumentRead& b);
};

// One step of a stored workflow.
struct StepsDocumentEntry
{
    Uuid id;
    std::optional<Uuid> sourceID;      // the Open page entry a Read entry reads from
    std::optional<BrowserRect> region; // screenshot pixels
    std::variant<StepsDocumentOpenPage, StepsDocumentRead> content;

    friend bool operator==(const StepsDocumentEntry& a, const StepsDocumentEntry& b);
};

// The stored form of a monitor's Steps workflow (the monitor_steps.workflow_json column). A plain value; its
// equality decides whether a save changes anything and whether the editor holds unsaved edits.
struct StepsDocument
{
    using Field = StepsDocumentField;
    using OpenPage = StepsDocumentOpenPage;
    using Read = StepsDocumentRead;
    using Content = std::variant<OpenPage, Read>;
    using Entry = StepsDocumentEntry;

    // The only format version; every document written is stored with it.
    static constexpr std::int64_t formatVersion = 1;

    std::vector<Entry> steps;

    // The workflow_json text: sorted keys, no escaped slashes, compact, upper-case UUIDs, absent values left out.
    // Throws std::invalid_argument for a non-finite number.
    std::string encodeStored() const;

    // Throws MonitorStoreError: unsupportedStepsFormat for any version but 1 (the text is not read), and
    // invalidStoredData for text that is not a document.
    static StepsDocument decodeStored(std::string_view text, std::int64_t formatVersion);

    // The check that guards every save and load: returns when the document may be stored and run, else throws
    // MonitorStoreError (invalidStoredData for a broken structure, validation with the sentence for a bad input).
    // The first problem found is the only one reported.
    void validate() const;

    friend bool operator==(const StepsDocument& a, const StepsDocument& b);
};

bool stepsEntriesEqual(const std::vector<StepsDocument::Entry>& a, const std::vector<StepsDocument::Entry>& b);
bool stepsFieldsEqual(const std::vector<StepsDocument::Field>& a, const std::vector<StepsDocument::Field>& b);

} // namespace tavlen
