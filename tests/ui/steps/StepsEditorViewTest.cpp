#include "StepsEditorView.h"

#include "ContentUnavailableView.h"
#include "QtText.h"
#include "StepsDiagramView.h"
#include "StepsEditorText.h"
#include "StepsStoreWorld.h"
#include "StepsWarningBanner.h"
#include "TavlenButton.h"

#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

using Content = StepsEditorPresentation::Content;

// The Steps tab of the world's monitor, without a workspace, over the real steps store.
class StepsEditorViewTest : public tavlen::test::StepsStoreWorld
{
protected:
    void open()
    {
        view = std::make_unique<StepsEditorView>(m_monitor, m_store, nullptr);
        view->resize(700, 800);
        view->show();
    }

    Content content() const { return view->presentation().content; }

    StepsWarningBanner* storageBanner() const
    {
        return view->findChild<StepsWarningBanner*>(QStringLiteral("steps-storage-banner"));
    }

    QMessageBox* alert() const { return view->findChild<QMessageBox*>(); }

    std::unique_ptr<StepsEditorView> view;
};

TEST_F(StepsEditorViewTest, firstOpen_showsLoadingUntilTheStepsAreLoaded)
{
    store(document({{tavlen::test::numberField("Price")}}));
    m_repository.readDelay = std::chrono::seconds(1);
    open();
    EXPECT_EQ(content(), Content::loading);
    EXPECT_TRUE(view->findChild<QWidget*>(QStringLiteral("steps-loading"))->isVisible());

    advanceUntil([&] { return content() == Content::diagram; });
    ASSERT_NE(view->diagram(), nullptr);
    EXPECT_TRUE(view->diagram()->isVisible());
    EXPECT_TRUE(view->diagram()->isEnabled());
    EXPECT_EQ(m_repository.savedStepsReads, 1);
}

TEST_F(StepsEditorViewTest, failedLoad_isUnavailableAndRetryKeepsThePlaceholderWhileItRuns)
{
    execute("DELETE FROM monitors WHERE id = '" + m_monitor.lowercaseString() + "'");
    open();
    advanceUntil([&] { return content() == Content::unavailable; });
    auto* placeholder = view->findChild<ContentUnavailableView*>(QStringLiteral("steps-unavailable"));
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_EQ(placeholder->title(), text::stepsUnavailable());
    EXPECT_EQ(placeholder->description(), toQString(MonitorStoreError::missingMonitor().errorDescription()));

    m_repository.readDelay = std::chrono::seconds(1);
    auto* retry = view->findChild<TavlenButton*>(QStringLiteral("steps-retry-load"));
    ASSERT_TRUE(retry->isEnabled());
    QTest::mouseClick(retry, Qt::LeftButton);
    advanceUntil([&] { return state().session(m_monitor)->isLoading(); });
    EXPECT_EQ(content(), Content::unavailable);
    EXPECT_FALSE(retry->isEnabled());

    advanceUntil([&] { return !state().session(m_monitor)->isLoading(); });
    EXPECT_EQ(content(), Content::unavailable);
    EXPECT_TRUE(retry->isEnabled());
    EXPECT_EQ(m_repository.savedStepsReads, 2);
}

TEST_F(StepsEditorViewTest, storageErrors_offerTheirButtonAndLockTheDiagramWhenInDoubt)
{
    const auto session = loadSaved();
    open();
    ASSERT_EQ(content(), Content::diagram);
    EXPECT_FALSE(storageBanner()->isVisible());

    struct Row
    {
        const char* name;
        std::optional<MonitorStoreError> error;
        bool needsReconciliation;
        QString button;
        bool diagramEnabled;
    };

    const Row rows[] = {
        {"validation keeps the steps editable",
         MonitorStoreError::validation("Enter a URL."),
         false,
         text::retrySave(),
         true},
        {"a stale edit offers the reload", MonitorStoreError::staleEdit(), false, text::reloadSavedSteps(), false},
        {"reconciling offers the storage retry", MonitorStoreError::storage(), true, text::retryStorage(), false},
        {"reconciling without an error still offers it", std::nullopt, true, text::retryStorage(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        session->setError(row.error);
        session->setNeedsReconciliation(row.needsReconciliation);
        ASSERT_TRUE(storageBanner()->isVisible());
        EXPECT_EQ(storageBanner()->button()->text(), row.button);
        EXPECT_TRUE(storageBanner()->button()->isEnabled());
        EXPECT_EQ(view->diagram()->isEnabled(), row.diagramEnabled);
        if (row.error) {
            EXPECT_EQ(storageBanner()->message(), toQString(row.error->errorDescription()));
        }
    }

    // The storage retry of a session in doubt reloads the saved steps, which settles it.
    const int reads = m_repository.savedStepsReads;
    QTest::mouseClick(storageBanner()->button(), Qt::LeftButton);
    advanceUntil([&] { return m_repository.savedStepsReads > reads && !session->isLoading(); });
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_FALSE(storageBanner()->isVisible());
    EXPECT_TRUE(view->diagram()->isEnabled());
}

TEST_F(StepsEditorViewTest, reloadAlert_cancelKeepsTheEditsAndDiscardReloadsTheSavedSteps)
{
    const auto session = loadSaved();
    open();
    readSettings(session).setTimeoutText("90");
    ASSERT_TRUE(session->hasUnsavedChanges());
    session->setError(MonitorStoreError::staleEdit());

    QTest::mouseClick(storageBanner()->button(), Qt::LeftButton);
    ASSERT_TRUE(view->confirmsReload());
    ASSERT_NE(alert(), nullptr);
    EXPECT_EQ(alert()->text(), text::reloadSavedStepsQuestion());
    EXPECT_EQ(alert()->informativeText(), text::reloadMessage());
    QTest::keyClick(alert(), Qt::Key_Escape);
    EXPECT_FALSE(view->confirmsReload());
    EXPECT_TRUE(session->hasUnsavedChanges());
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());

    QTest::mouseClick(storageBanner()->button(), Qt::LeftButton);
    ASSERT_NE(alert(), nullptr);
    QAbstractButton* discard = nullptr;
    for (QAbstractButton* button : alert()->buttons()) {
        if (button->text() == text::discardAndReload()) {
            discard = button;
        }
    }
    ASSERT_NE(discard, nullptr);
    const auto draft = session->draft();
    discard->click();
    advanceUntil([&] { return session->draft() != draft && !session->isLoading(); });
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_EQ(session->error(), std::nullopt);
    EXPECT_FALSE(view->confirmsReload());
    EXPECT_FALSE(storageBanner()->isVisible());
}

} // namespace
} // namespace tavlen::ui::test
