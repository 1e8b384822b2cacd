#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace tavlen {

// The error of every workspace storage operation. Each case has the sentence shown to the user; `validation`
// carries its own sentence and `unsupportedStepsFormat` the stored format version it could not read.
class MonitorStoreError : public std::exception
{
public:
    enum class Kind
    {
        validation,
        unsupportedStepsFormat,
        missingMonitor,
        staleEdit,
        busy,
        unsupportedSchema,
        invalidStoredData,
        storage,
        interrupted,
    };

    static MonitorStoreError validation(std::string sentence);
    static MonitorStoreError unsupportedStepsFormat(std::int64_t version);

    static MonitorStoreError missingMonitor() { return MonitorStoreError(Kind::missingMonitor); }

    static MonitorStoreError staleEdit() { return MonitorStoreError(Kind::staleEdit); }

    static MonitorStoreError busy() { return MonitorStoreError(Kind::busy); }

    static MonitorStoreError unsupportedSchema() { return MonitorStoreError(Kind::unsupportedSchema); }

    static MonitorStoreError invalidStoredData() { return MonitorStoreError(Kind::invalidStoredData); }

    static MonitorStoreError storage() { return MonitorStoreError(Kind::storage); }

    static MonitorStoreError interrupted() { return MonitorStoreError(Kind::interrupted); }

    // For callers outside the database layer: a MonitorStoreError stays as it is, a cancellation of the calling
    // task (CancelledError) becomes `interrupted`, anything else `storage`. A null pointer counts as `storage`.
    static MonitorStoreError from(std::exception_ptr error);

    Kind kind() const { return m_kind; }

    // The validation sentence; empty for the other cases.
    const std::string& sentence() const { return m_sentence; }

    // The unreadable steps format version; 0 for the other cases.
    std::int64_t stepsFormatVersion() const { return m_version; }

    // The text shown to the user.
    const std::string& errorDescription() const { return m_description; }

    const char* what() const noexcept override { return m_description.c_str(); }

    // Same case; for `validation` canonically equivalent sentences, for `unsupportedStepsFormat` the same version.
    friend bool operator==(const MonitorStoreError& a, const MonitorStoreError& b);

private:
    explicit MonitorStoreError(Kind kind);

    Kind m_kind;
    std::string m_sentence;
    std::int64_t m_version = 0;
    std::string m_description;
};

} // namespace tavlen
