#include "StepsSession.h"

#include <QObject>

#include <gtest/gtest.h>

#include <functional>

namespace tavlen {
namespace {

const BrowserCaptureSettings defaultCapture{1280, 800, 1, false};

// A saved workflow of one Open page step and one Read step.
std::vector<StepsDocument::Entry> savedEntries()
{
    Uuid page = Uuid::random();
    return {
        {page,
         std::nullopt,
         std::nullopt,
         StepsDocument::OpenPage{"https://example.com/", 1, BrowserCaptureSettings{1280, 900, 2, false}}},
        {Uuid::random(),
         page,
         BrowserRect{0, 0, 10, 10},
         StepsDocument::Read{
             {{Uuid::random(), "Price", StepsDocument::Field::ValueType::number, ""}}, Uuid::random(), 60}},
    };
}

class StepsSessionTest : public testing::Test
{
protected:
    // A loaded session at the given version, not loading.
    std::shared_ptr<StepsSession> loadedSession(std::optional<std::int64_t> version = 3)
    {
        auto session = std::make_shared<StepsSession>();
        session->resetToSaved(StepsDraft::makeFromDocument(savedEntries(), nullptr, defaultCapture), version);
        session->setIsLoading(false);
        return session;
    }

    StepsReadSettings* readSettings(StepsSession& session) const
    {
        return session.draft()->steps()[1]->content().readSettings();
    }
};

TEST_F(StepsSessionTest, aNewSessionCanNeitherSaveNorCompare)
{
    StepsSession session;
    EXPECT_TRUE(session.isLoading());
    EXPECT_FALSE(session.hasUnsavedChanges());
    EXPECT_FALSE(session.canSave());
}

TEST_F(StepsSessionTest, aTextThatParsesToTheSameNumberIsStillAnUnsavedChange)
{
    auto session = loadedSession();
    EXPECT_FALSE(session->hasUnsavedChanges());
    readSettings(*session)->setTimeoutText("060");
    EXPECT_TRUE(stepsEntriesEqual(session->draft()->documentEntries(), session->baseline()->document.steps));
    EXPECT_TRUE(session->hasUnsavedChanges());
    readSettings(*session)->setTimeoutText("60");
    EXPECT_FALSE(session->hasUnsavedChanges());
    readSettings(*session)->setModelID(std::nullopt);
    EXPECT_TRUE(session->hasUnsavedChanges());
}

TEST_F(StepsSessionTest, numericTextsCompareByCanonicalEquivalenceAsTheirSettersDo)
{
    auto session = loadedSession();
    readSettings(*session)->setTimeoutText("6\xC3\xA9");
    session->resetToSaved(session->draft(), 3);
    int notifications = 0;
    QObject::connect(
        readSettings(*session), &StepsReadSettings::timeoutTextChanged, [&notifications] { ++notifications; });
    QObject::connect(session.get(), &StepsSession::baselineNumericInputsChanged, [&notifications] { ++notifications; });

    readSettings(*session)->setTimeoutText("6e\xCC\x81");
    EXPECT_FALSE(session->hasUnsavedChanges());
    session->setBaselineNumericInputs(session->draft()->numericInputs());
    EXPECT_EQ(notifications, 0);
}

TEST_F(StepsSessionTest, canSaveOnlyWithSomethingToSaveAndNothingInTheWay)
{
    using Setup = std::function<void(StepsSession&)>;
    const Setup edit = [this](StepsSession& s) { readSettings(s)->setTimeoutText("30"); };

    struct Row
    {
        const char* name;
        std::optional<std::int64_t> version;
        Setup setup;
        bool expected;
    };

    const Row rows[] = {
        {"unchanged", 3, [](auto&) {}, false},
        {"unchanged but nothing stored yet", std::nullopt, [](auto&) {}, true},
        {"edited", 3, edit, true},
        {"edited, validation error",
         3,
         [&](auto& s) {
             edit(s);
             s.setError(MonitorStoreError::validation("Enter a name."));
         },
         true},
        {"edited, busy",
         3,
         [&](auto& s) {
             edit(s);
             s.setError(MonitorStoreError::busy());
         },
         true},
        {"edited, stale edit",
         3,
         [&](auto& s) {
             edit(s);
             s.setError(MonitorStoreError::staleEdit());
         },
         false},
        {"edited, storage failure",
         3,
         [&](auto& s) {
             edit(s);
             s.setError(MonitorStoreError::storage());
         },
         false},
        {"edited, unsupported format",
         3,
         [&](auto& s) {
             edit(s);
             s.setError(MonitorStoreError::unsupportedStepsFormat(2));
         },
         false},
        {"edited while loading",
         3,
         [&](auto& s) {
             edit(s);
             s.setIsLoading(true);
         },
         false},
        {"edited while saving",
         3,
         [&](auto& s) {
             edit(s);
             s.setIsSaving(true);
         },
         false},
        {"edited, needs reconciliation",
         3,
         [&](auto& s) {
             edit(s);
             s.setNeedsReconciliation(true);
         },
         false},
        {"no draft", std::nullopt, [](auto& s) { s.setDraft(nullptr); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto session = loadedSession(row.version);
        row.setup(*session);
        EXPECT_EQ(session->canSave(), row.expected);
    }
}

TEST_F(StepsSessionTest, settersNotifyOnlyOnChangeButTheDraftAlways)
{
    auto session = loadedSession();
    int errors = 0;
    int drafts = 0;
    QObject::connect(session.get(), &StepsSession::errorChanged, [&] { ++errors; });
    QObject::connect(session.get(), &StepsSession::draftChanged, [&] { ++drafts; });

    session->setError(MonitorStoreError::validation("Enter a name."));
    session->setError(MonitorStoreError::validation("Enter a name."));
    EXPECT_EQ(errors, 1);
    session->setError(MonitorStoreError::validation("Select at least one day."));
    session->setError(MonitorStoreError::busy());
    session->setError(MonitorStoreError::staleEdit());
    EXPECT_EQ(errors, 4);

    session->setDraft(session->draft());
    EXPECT_EQ(drafts, 1);
}

TEST_F(StepsSessionTest, resetToSavedClearsTheAttemptButKeepsFlagsAndSubmission)
{
    auto session = loadedSession();
    readSettings(*session)->setTimeoutText("30");
    session->setError(MonitorStoreError::storage());
    session->setNeedsReconciliation(true);
    session->setAttemptedSave(StepsWorkflow{StepsDocument{session->draft()->documentEntries()}});
    session->setShowsValidation(true);
    session->setIsSaving(true);
    const Uuid submission = session->submission();

    auto draft = StepsDraft::makeFromDocument(savedEntries(), nullptr, defaultCapture);
    session->resetToSaved(draft, 4);

    EXPECT_EQ(session->draft(), draft);
    EXPECT_EQ(session->version(), 4);
    EXPECT_FALSE(session->error());
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_FALSE(session->attemptedSave());
    EXPECT_FALSE(session->showsValidation());
    EXPECT_TRUE(session->isSaving());
    EXPECT_EQ(session->submission(), submission);
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_EQ(session->baselineNumericInputs(), draft->numericInputs());
}

} // namespace
} // namespace tavlen
