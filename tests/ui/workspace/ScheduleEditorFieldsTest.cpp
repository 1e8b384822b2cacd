#include "ScheduleEditorFields.h"

#include "BoundedWait.h"
#include "MonitorChangesDraft.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "WorkspaceFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

// The editor on screen, its edits kept as its owner keeps them.
class ScheduleEditorFieldsTest : public test::WorkspaceFixture
{
protected:
    void open(ScheduleDraft draft)
    {
        m_editor = std::make_unique<ScheduleEditorFields>(std::move(draft));
        QObject::connect(m_editor.get(), &ScheduleEditorFields::draftEdited, [this](const ScheduleDraft& edited) {
            m_edited = edited;
            m_editor->setDraft(edited);
        });
        m_editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_editor.get()));
        settle();
    }

    // Lets pending layouts run, so widgets shown by an edit have their places before they are clicked.
    static void settle() { QCoreApplication::sendPostedEvents(); }

    template <class T> T* find(const QString& name) const { return m_editor->findChild<T*>(name); }

    // A check box takes clicks on its box and label, at its leading end; rows replaced by a click are deleted
    // once the click is over.
    void click(const QString& name)
    {
        QWidget* widget = find<QWidget>(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
        test::flushDeferredDeletes();
        settle();
    }

    // Steps a pop-up picker with the keyboard, as a user without a mouse would.
    void step(QComboBox* box, int steps)
    {
        box->setFocus();
        for (int i = 0; i < std::abs(steps); ++i) {
            QTest::keyClick(box, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
        }
    }

    std::unique_ptr<ScheduleEditorFields> m_editor;
    ScheduleDraft m_edited;
};

TEST_F(ScheduleEditorFieldsTest, everyControlWritesTheDraftAtOnceAndKeepsTheOtherKind)
{
    open(ScheduleDraft{});
    EXPECT_FALSE(m_editor->limitsExpanded()) << "all days and no window: collapsed";

    click(QStringLiteral("schedule-enabled"));
    EXPECT_TRUE(m_edited.scheduleEnabled);

    step(find<QComboBox>(QStringLiteral("intervalPreset")), 3); // one hour → custom
    EXPECT_EQ(m_edited.intervalPreset, IntervalPreset::custom);
    auto* amount = find<QLineEdit>(QStringLiteral("schedule-custom-amount"));
    ASSERT_TRUE(amount->isVisible());
    amount->clear();
    QTest::keyClicks(amount, QStringLiteral(" 45 "));
    EXPECT_EQ(m_edited.customInterval, " 45 ");
    EXPECT_EQ(m_edited.rule(), ScheduleRule::every(IntervalSchedule{45, {1, 2, 3, 4, 5, 6, 7}, std::nullopt}));

    click(QStringLiteral("schedule-limits"));
    ASSERT_TRUE(m_editor->limitsExpanded());
    click(QStringLiteral("schedule-limit-hours"));
    EXPECT_TRUE(m_edited.windowEnabled);
    auto* until = find<QTimeEdit>(QStringLiteral("schedule-window-until"));
    until->setTime(QTime(0, 0));
    EXPECT_EQ(m_edited.windowEndMinuteOfDay, 1440) << "an end at midnight is the end of the day";
    find<QTimeEdit>(QStringLiteral("schedule-window-from"))->setTime(QTime(0, 0));
    EXPECT_EQ(m_edited.windowStartMinuteOfDay, 0);

    click(QStringLiteral("schedule-mode-at"));
    EXPECT_EQ(m_edited.scheduleMode, ScheduleMode::at);
    click(QStringLiteral("schedule-add-time"));
    click(QStringLiteral("schedule-add-time"));
    ASSERT_EQ(m_edited.atTimes.size(), 2u);
    EXPECT_EQ(m_edited.atTimes[0].minute, 540);
    EXPECT_EQ(m_edited.atTimes[1].minute, 600);

    const QString firstRemove =
        QStringLiteral("schedule-remove-time-") + QString::fromStdString(m_edited.atTimes[0].id.uppercaseString());
    click(firstRemove);
    ASSERT_EQ(m_edited.atTimes.size(), 1u);
    EXPECT_EQ(m_edited.atTimes[0].minute, 600);
    const QString lastRemove =
        QStringLiteral("schedule-remove-time-") + QString::fromStdString(m_edited.atTimes[0].id.uppercaseString());
    EXPECT_FALSE(find<QWidget>(lastRemove)->isEnabled()) << "the only time cannot be removed";

    click(QStringLiteral("schedule-mode-every"));
    EXPECT_EQ(m_edited.customInterval, " 45 ") << "switching the kind clears nothing";
    EXPECT_TRUE(m_edited.windowEnabled);
}

TEST_F(ScheduleEditorFieldsTest, theDaysPickerShowsNamedSetsAndTogglesMondayFirst)
{
    ScheduleDraft draft;
    draft.everyWeekdays = {2, 3, 4, 5};
    open(draft);
    EXPECT_TRUE(m_editor->limitsExpanded()) << "limited days open the group";
    auto* friday = find<QAbstractButton>(QStringLiteral("schedule-every-day-6"));
    ASSERT_TRUE(friday->isVisible());
    QTest::mouseClick(friday, Qt::LeftButton);
    EXPECT_EQ(m_edited.everyWeekdays, (WeekdaySet{2, 3, 4, 5, 6}));
    EXPECT_FALSE(friday->isVisible()) << "Monday to Friday reads as Weekdays and hides the toggles";
}

TEST_F(ScheduleEditorFieldsTest, errorsShowOnceAskedForAndTheEditedScheduleIsWhatASaveStores)
{
    const Monitor stored = finish(SQLiteMonitorRepository(m_database, m_clock).create(Uuid::random(), "Prices"));
    MonitorWorkspace workspace(std::make_shared<SQLiteMonitorRepository>(m_database, m_clock));
    workspace.load();
    ASSERT_TRUE(test::waitUntil([&] { return workspace.loadState().isReady() && !workspace.isBusy(); }));
    const auto draft = workspace.changeDraft(stored.id);
    ASSERT_TRUE(draft);

    open(draft->schedule());
    QObject::connect(m_editor.get(), &ScheduleEditorFields::draftEdited, [&](const ScheduleDraft& edited) {
        draft->setSchedule(edited);
    });
    m_editor->setShowsErrors(true);
    step(find<QComboBox>(QStringLiteral("intervalPreset")), 3); // custom
    find<QLineEdit>(QStringLiteral("schedule-custom-amount"))->clear();
    QTest::keyClicks(find<QLineEdit>(QStringLiteral("schedule-custom-amount")), QStringLiteral(" "));
    settle();
    EXPECT_TRUE(find<QWidget>(QStringLiteral("scheduleRule"))->isVisible()) << "an empty amount";
    click(QStringLiteral("schedule-mode-at"));
    click(QStringLiteral("schedule-add-time"));
    EXPECT_FALSE(find<QWidget>(QStringLiteral("scheduleRule"))->isVisible()) << "the other kind is valid";
    click(QStringLiteral("schedule-enabled"));

    ASSERT_TRUE(workspace.hasUnsavedChanges(stored.id));
    EXPECT_TRUE(finish(workspace.saveChanges(stored.id)));
    const auto reread = finish(SQLiteMonitorRepository(m_database, m_clock).monitors());
    ASSERT_EQ(reread.size(), 1u);
    ASSERT_TRUE(m_edited.preferences());
    EXPECT_EQ(reread[0].schedule.preferences, *m_edited.preferences());
    EXPECT_TRUE(reread[0].schedule.preferences.scheduleEnabled);
    EXPECT_TRUE(std::holds_alternative<ClockSchedule>(reread[0].schedule.preferences.rule.schedule));
}

} // namespace
} // namespace tavlen::ui
