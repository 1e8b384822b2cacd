#include "StepsDiagramView.h"

#include "Accessibility.h"
#include "StepsCardView.h"
#include "StepsCropPreview.h"
#include "StepsDiagramState.h"
#include "StepsEditorText.h"
#include "StepsEditorView.h"
#include "StepsOpenPageCard.h"
#include "StepsReadingResults.h"
#include "StepsScreenshotView.h"
#include "StepsStoreWorld.h"
#include "StepsTestControl.h"
#include "TavlenButton.h"

#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

using tavlen::test::numberField;

// The Steps tab of the world's monitor with its steps loaded, over the real steps store, capture service,
// scripted browser and scripted reader.
class StepsDiagramViewTest : public tavlen::test::StepsStoreWorld
{
protected:
    void open(std::size_t reads)
    {
        std::vector<std::vector<StepsDocument::Field>> fields;
        for (std::size_t index = 0; index < reads; ++index) {
            fields.push_back({numberField("Price")});
        }
        store(document(fields));
        session = load();
        view = std::make_unique<StepsEditorView>(m_monitor, m_store, nullptr);
        view->resize(700, 2400);
        view->show();
        ASSERT_NE(view->diagram(), nullptr);
        QCoreApplication::processEvents();
    }

    StepsDiagramView& diagram() const { return *view->diagram(); }

    StepsCardView& card(std::size_t position) const
    {
        return *diagram().card(session->draft()->steps().at(position)->id());
    }

    std::vector<Uuid> order() const
    {
        std::vector<Uuid> ids;
        for (const auto& step : session->draft()->steps()) {
            ids.push_back(step->id());
        }
        return ids;
    }

    // Mouse events sent to the card, at points of the diagram's column.
    void mouse(StepsCardView& target, QEvent::Type type, QPointF columnPoint)
    {
        const QPointF local = target.mapFrom(diagram().column(), columnPoint);
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, target.mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &event);
    }

    // The middle of the drop slot before the step at the position (or after the last one).
    QPointF slotPoint(std::size_t boundary) const
    {
        const auto& steps = session->draft()->steps();
        const QRect above = boundary < steps.size() ? card(boundary).geometry() : card(steps.size() - 1).geometry();
        const double y = boundary < steps.size() ? above.top() - 8 : above.bottom() + 1 + 8;
        return {60, y};
    }

    TavlenButton* button(const QString& prefix, std::size_t position) const
    {
        return view->findChild<TavlenButton*>(itemIdentifier(prefix, session->draft()->steps().at(position)->id()));
    }

    std::shared_ptr<StepsSession> session;
    std::unique_ptr<StepsEditorView> view;
};

TEST_F(StepsDiagramViewTest, draggingTheLastCardToEachSlot_lightsItAndMovesTheStepThere)
{
    struct Row
    {
        std::size_t boundary;
        std::optional<std::int64_t> lit;
        std::vector<std::size_t> order;
    };

    const Row rows[] = {
        {0, std::nullopt, {0, 1, 2, 3}}, // before the Open page step: refused
        {1, 1, {0, 3, 1, 2}},
        {2, 2, {0, 1, 3, 2}},
        {3, 3, {0, 1, 2, 3}}, // its own place
        {4, 4, {0, 1, 2, 3}}, // after itself
    };
    open(3);
    const std::vector<Uuid> before = order();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.boundary);
        session->draft()->moveStep(before[3], 4);
        ASSERT_EQ(order(), before);
        StepsCardView& dragged = card(3);
        const QPointF start = dragged.geometry().center();

        mouse(dragged, QEvent::MouseButtonPress, start);
        mouse(dragged, QEvent::MouseMove, start + QPointF(0, 10));
        mouse(dragged, QEvent::MouseMove, slotPoint(row.boundary));
        EXPECT_EQ(diagram().state().drag().draggingID, before[3]);
        EXPECT_EQ(diagram().state().drag().dropBoundary, row.lit);
        mouse(dragged, QEvent::MouseButtonRelease, slotPoint(row.boundary));

        std::vector<Uuid> expected;
        for (std::size_t position : row.order) {
            expected.push_back(before[position]);
        }
        EXPECT_EQ(order(), expected);
        EXPECT_EQ(diagram().state().drag(), StepsDragState{});
    }
}

TEST_F(StepsDiagramViewTest, dragsOutsideTheHeadersOrWhileStepsRun_moveNothing)
{
    open(2);
    const std::vector<Uuid> before = order();
    StepsCardView& dragged = card(2);
    const QPointF start = dragged.geometry().center();
    mouse(dragged, QEvent::MouseButtonPress, start);
    mouse(dragged, QEvent::MouseMove, {-4, slotPoint(1).y()});
    EXPECT_EQ(diagram().state().drag().draggingID, before[2]);
    EXPECT_EQ(diagram().state().drag().dropBoundary, std::nullopt);
    mouse(dragged, QEvent::MouseButtonRelease, {-4, slotPoint(1).y()});
    EXPECT_EQ(order(), before);
    EXPECT_EQ(diagram().state().drag(), StepsDragState{});

    // A press that hardly moves is a tap: it selects the step, and a second one deselects it.
    for (const std::optional<Uuid>& selected : {std::optional<Uuid>(before[2]), std::optional<Uuid>()}) {
        mouse(dragged, QEvent::MouseButtonPress, start);
        mouse(dragged, QEvent::MouseMove, start + QPointF(2, 2));
        mouse(dragged, QEvent::MouseButtonRelease, start + QPointF(2, 2));
        EXPECT_EQ(session->draft()->selectedID(), selected);
    }

    // The Open page card is neither dragged nor tapped.
    StepsCardView& page = card(0);
    mouse(page, QEvent::MouseButtonPress, page.geometry().topLeft() + QPointF(5, 5));
    mouse(page, QEvent::MouseMove, slotPoint(3));
    EXPECT_EQ(diagram().state().drag(), StepsDragState{});
    mouse(page, QEvent::MouseButtonRelease, slotPoint(3));
    EXPECT_EQ(order(), before);
    EXPECT_EQ(session->draft()->selectedID(), std::nullopt);
}

TEST_F(StepsDiagramViewTest, headerButtons_moveAndDeleteWhereTheDraftAllows)
{
    open(2);
    const std::vector<Uuid> before = order();
    EXPECT_NE(button(text::configureIdentifierPrefix(), 0), nullptr);
    EXPECT_EQ(button(QStringLiteral("steps-move-up-"), 0), nullptr);
    EXPECT_FALSE(button(QStringLiteral("steps-move-up-"), 1)->isEnabled());
    EXPECT_TRUE(button(QStringLiteral("steps-move-down-"), 1)->isEnabled());
    EXPECT_TRUE(button(QStringLiteral("steps-move-up-"), 2)->isEnabled());
    EXPECT_FALSE(button(QStringLiteral("steps-move-down-"), 2)->isEnabled());
    EXPECT_EQ(button(QStringLiteral("steps-move-down-"), 1)->accessibleName(), QStringLiteral("Move step 1 down"));

    QTest::mouseClick(button(QStringLiteral("steps-move-down-"), 1), Qt::LeftButton);
    EXPECT_EQ(order(), (std::vector<Uuid>{before[0], before[2], before[1]}));
    EXPECT_EQ(card(1).index(), 1);
    EXPECT_EQ(button(QStringLiteral("steps-move-up-"), 2)->accessibleName(), QStringLiteral("Move step 2 up"));

    session->draft()->setSelectedID(before[1]);
    QTest::mouseClick(button(QStringLiteral("steps-delete-"), 2), Qt::LeftButton);
    EXPECT_EQ(order(), (std::vector<Uuid>{before[0], before[2]}));
    EXPECT_EQ(session->draft()->selectedID(), std::nullopt);
    EXPECT_EQ(diagram().card(before[1]), nullptr);
    EXPECT_TRUE(session->hasUnsavedChanges());
}

TEST_F(StepsDiagramViewTest, configureButtons_shareOnePopoverState)
{
    open(2);
    TavlenButton* first = button(text::configureIdentifierPrefix(), 1);
    TavlenButton* second = button(text::configureIdentifierPrefix(), 2);
    EXPECT_EQ(first->toolTip(), QStringLiteral("Configure Read"));
    EXPECT_EQ(button(text::configureIdentifierPrefix(), 0)->toolTip(), QStringLiteral("Configure Open page"));
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(diagram().state().configurationStepID(), order()[1]);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(diagram().state().configurationStepID(), order()[2]);
    // Closing a popover the card no longer owns leaves the other one open.
    diagram().state().setConfigurationPresented(order()[1], false);
    EXPECT_EQ(diagram().state().configurationStepID(), order()[2]);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(diagram().state().configurationStepID(), std::nullopt);
}

TEST_F(StepsDiagramViewTest, connectorsJoinEachReadStepToItsSourceCard)
{
    open(2);
    const StepsAnchors& anchors = diagram().anchors();
    for (std::size_t position = 0; position < 3; ++position) {
        SCOPED_TRACE(position);
        const QRectF cardRect = anchors.at(StepsAnchor::card(order()[position]));
        const QRectF header = anchors.at(StepsAnchor::header(order()[position]));
        EXPECT_EQ(cardRect.left(), 40);
        EXPECT_EQ(cardRect.width(), diagram().viewport()->width() - 56);
        EXPECT_TRUE(cardRect.contains(header));
    }
    EXPECT_EQ(anchors.at(StepsAnchor::card(order()[0])).top(), 16);
    EXPECT_EQ(diagram().state().dragGeometry.headerFrames.size(), 3U);

    // The connector of the selected step is drawn in the accent colour along x = 17.
    const QRectF header = anchors.at(StepsAnchor::header(order()[2]));
    const QPoint gutter(17, int(header.center().y()) - 12);
    const auto colourAt = [&] { return diagram().column()->grab().toImage().pixelColor(gutter); };
    const QColor plain = colourAt();
    session->draft()->setSelectedID(order()[2]);
    const QColor selected = colourAt();
    EXPECT_NE(plain, selected);
    EXPECT_NEAR(selected.hueF(), diagram().palette().color(QPalette::Highlight).hueF(), 0.02);
}

TEST_F(StepsDiagramViewTest, testingSteps_showsTheCaptureDrawsARegionAddsAStepAndShowsItsReadings)
{
    open(1);
    StepsOpenPageCard* page = card(0).openPageCard();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->findChild<QWidget*>(QStringLiteral("steps-screenshot-placeholder"))->isVisible());
    EXPECT_FALSE(page->addStepButton()->isEnabled());
    EXPECT_EQ(page->addStepButton()->accessibleDescription(), text::selectAreaFirst());

    // Testing the Read step runs the Open page step first, so the screenshot appears too.
    StepsTestControl* test = card(1).testControl();
    ASSERT_TRUE(test->button()->isEnabled());
    QTest::mouseClick(test->button(), Qt::LeftButton);
    advanceUntil([&] {
        return !m_store.isBusy() && step(session, 1)->execution().kind() == StepsExecutionState::Kind::succeeded;
    });
    EXPECT_TRUE(page->screenshotView()->isVisible());
    EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("steps-image-size"))->text(), QStringLiteral("320 \u00D7 200"));
    EXPECT_EQ(card(1).readingResults()->execution().readings().size(), 1U);

    // A new area drawn on the screenshot becomes the pending selection, then a Read step of its own.
    StepsScreenshotView* screenshot = page->screenshotView();
    const QPoint from = screenshot->viewportPoint({40, 120}).toPoint();
    const QPoint to = screenshot->viewportPoint({200, 180}).toPoint();
    QTest::mousePress(screenshot->viewport(), Qt::LeftButton, {}, from);
    for (int stepIndex = 1; stepIndex <= 5; ++stepIndex) {
        QTest::mouseMove(screenshot->viewport(), from + (to - from) * stepIndex / 5);
    }
    QTest::mouseRelease(screenshot->viewport(), Qt::LeftButton, {}, to);
    ASSERT_TRUE(pageSettings(session).selection().has_value());
    EXPECT_TRUE(page->addStepButton()->isEnabled());
    EXPECT_EQ(page->addStepButton()->accessibleDescription(), text::addStepForSelection());

    page->addStepMenu()->actions().front()->trigger();
    ASSERT_EQ(session->draft()->steps().size(), 3U);
    const Uuid added = session->draft()->steps().back()->id();
    EXPECT_EQ(session->draft()->selectedID(), added);
    EXPECT_FALSE(pageSettings(session).selection().has_value());
    ASSERT_NE(diagram().card(added), nullptr);
    EXPECT_EQ(diagram().card(added)->index(), 2);
    EXPECT_TRUE(diagram().card(added)->cropPreview()->isVisible());
}

TEST_F(StepsDiagramViewTest, refusedSave_movesTheFocusToTheFirstInvalidInput)
{
    open(2);
    std::vector<ReadingField> fields = readSettings(session, 2).fields();
    fields.front().name.clear();
    readSettings(session, 2).setFields(fields);

    EXPECT_FALSE(save());
    ASSERT_TRUE(session->showsValidation());
    const StepsField name{order()[2], StepsField::Kind::fieldName(fields.front().id)};
    advanceUntil([&] { return diagram().state().focusedField() == name; });
    EXPECT_EQ(diagram().state().configurationStepID(), std::nullopt);

    // A missing model is an input of the configuration popover: that step's popover opens instead.
    fields.front().name = "Price";
    readSettings(session, 2).setFields(fields);
    readSettings(session, 1).setModelID(std::nullopt);
    EXPECT_FALSE(save());
    advanceUntil([&] { return diagram().state().configurationStepID() == order()[1]; });
}

} // namespace
} // namespace tavlen::ui::test
