#include "MonitorStoreError.h"

#include "CancelledError.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavlen {
namespace {

TEST(MonitorStoreErrorTest, descriptionsAndEquality)
{
    EXPECT_EQ(MonitorStoreError::validation("Enter a name.").errorDescription(), "Enter a name.");
    EXPECT_EQ(MonitorStoreError::unsupportedStepsFormat(2).errorDescription(),
              MonitorStoreError::unsupportedSchema().errorDescription());
    EXPECT_STREQ(MonitorStoreError::busy().what(), "The workspace is busy. Wait a moment, then try again.");
    EXPECT_EQ(MonitorStoreError::validation("A"), MonitorStoreError::validation("A"));
    EXPECT_NE(MonitorStoreError::validation("A"), MonitorStoreError::validation("B"));
    EXPECT_NE(MonitorStoreError::unsupportedStepsFormat(2), MonitorStoreError::unsupportedStepsFormat(3));
    EXPECT_NE(MonitorStoreError::unsupportedStepsFormat(2), MonitorStoreError::unsupportedSchema());
}

TEST(MonitorStoreErrorTest, everyCaseShowsItsSentence)
{
    struct Row
    {
        const char* name;
        MonitorStoreError error;
        const char* text;
    };

    const char* incompatible =
        "This workspace uses a storage format this version of Tavlen cannot open. Use a compatible version of the app.";
    const Row rows[] = {
        {"validation", MonitorStoreError::validation("Select at least one day."), "Select at least one day."},
        {"unsupportedStepsFormat", MonitorStoreError::unsupportedStepsFormat(7), incompatible},
        {"missingMonitor",
         MonitorStoreError::missingMonitor(),
         "This monitor no longer exists. Reload the workspace to continue."},
        {"staleEdit",
         MonitorStoreError::staleEdit(),
         "This monitor changed since editing began. Reload the saved version before editing again."},
        {"busy", MonitorStoreError::busy(), "The workspace is busy. Wait a moment, then try again."},
        {"unsupportedSchema", MonitorStoreError::unsupportedSchema(), incompatible},
        {"invalidStoredData",
         MonitorStoreError::invalidStoredData(),
         "Tavlen could not read the saved workspace. Your data has been kept. Check the database before retrying."},
        {"storage",
         MonitorStoreError::storage(),
         "Tavlen could not access the workspace. Check available disk space and access to the data folder "
         "(usually ~/.local/share), then retry."},
        {"interrupted",
         MonitorStoreError::interrupted(),
         "The storage operation was interrupted. Reload the workspace to check what was saved before trying again."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.errorDescription(), row.text);
        EXPECT_STREQ(row.error.what(), row.text);
    }
}

TEST(MonitorStoreErrorTest, from_classifiesForeignErrors)
{
    EXPECT_EQ(MonitorStoreError::from(std::make_exception_ptr(MonitorStoreError::busy())), MonitorStoreError::busy());
    EXPECT_EQ(MonitorStoreError::from(std::make_exception_ptr(CancelledError())), MonitorStoreError::interrupted());
    EXPECT_EQ(MonitorStoreError::from(std::make_exception_ptr(std::runtime_error("disk"))),
              MonitorStoreError::storage());
    EXPECT_EQ(MonitorStoreError::from(std::make_exception_ptr(42)), MonitorStoreError::storage());
    EXPECT_EQ(MonitorStoreError::from(nullptr), MonitorStoreError::storage());
}

TEST(MonitorStoreErrorTest, from_logsTheCauseOfAnUnknownErrorOnce_andNothingForKnownOnes)
{
    struct Row
    {
        const char* name;
        std::exception_ptr error;
        std::string log;
    };

    const Row rows[] = {
        {"unknown",
         std::make_exception_ptr(std::runtime_error("disk on fire")),
         "storage failure of an unknown kind: disk on fire\n"},
        {"not even an exception", std::make_exception_ptr(42), "storage failure of an unknown kind: unknown failure\n"},
        {"our own", std::make_exception_ptr(MonitorStoreError::busy()), ""},
        {"a cancel", std::make_exception_ptr(CancelledError()), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::internal::CaptureStderr();
        (void)MonitorStoreError::from(row.error);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.log);
    }
}

} // namespace
} // namespace tavlen
