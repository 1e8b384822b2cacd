#include "KitPopup.h"

#include "PopupPlacement.h"
#include "WaitUntil.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

TEST(PopupPlacementTest, placesByEdgeAndRoom)
{
    const QRect screen(0, 0, 1000, 800);

    struct Row
    {
        const char* name;
        QRect anchor;
        QSize size;
        PopupEdge preferred;
        QRect expected;
    };

    const Row rows[] = {
        {"below, centred on the anchor", {400, 100, 100, 30}, {200, 100}, PopupEdge::below, {350, 134, 200, 100}},
        {"above when asked", {400, 300, 100, 30}, {200, 100}, PopupEdge::above, {350, 196, 200, 100}},
        {"flipped above when no room below", {400, 750, 100, 30}, {200, 100}, PopupEdge::below, {350, 646, 200, 100}},
        {"flipped below when no room above", {400, 20, 100, 30}, {200, 100}, PopupEdge::above, {350, 54, 200, 100}},
        {"kept on the screen at the left edge", {0, 100, 40, 30}, {200, 100}, PopupEdge::below, {0, 134, 200, 100}},
        {"kept on the screen at the right edge",
         {960, 100, 40, 30},
         {200, 100},
         PopupEdge::below,
         {800, 134, 200, 100}},
        {"taller than either side stays below, clamped",
         {400, 380, 100, 30},
         {200, 700},
         PopupEdge::below,
         {350, 100, 200, 700}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(popupGeometry(row.anchor, row.size, screen, row.preferred), row.expected);
    }
}

class KitPopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        anchor = new QPushButton(QStringLiteral("Anchor"));
        outside = new QPushButton(QStringLiteral("Elsewhere"));
        layout->addWidget(anchor);
        layout->addStretch(1);
        layout->addWidget(outside);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    KitPopup* openPopup(KitPopup::Kind kind = KitPopup::Kind::interactive)
    {
        auto* popup = new KitPopup(kind, &window);
        auto* content = new QLineEdit;
        content->setObjectName(QStringLiteral("popup-field"));
        popup->setContent(content);
        popup->setSizeRule([](QSize hint) { return QSize(240, std::max(hint.height(), 80)); });
        popup->showAt(anchor);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
        return popup;
    }

    QWidget window;
    QPushButton* anchor = nullptr;
    QPushButton* outside = nullptr;
};

TEST_F(KitPopupTest, sizedByTheRuleBelowTheAnchor)
{
    KitPopup* popup = openPopup();
    EXPECT_EQ(popup->size(), QSize(242, 82)) << "the rule's size and the one-pixel frame";
    const QPoint anchorBottom = anchor->mapToGlobal(QPoint(0, anchor->height()));
    EXPECT_GE(popup->geometry().top(), anchorBottom.y());
    EXPECT_EQ(popup->geometry().center().x(), anchor->mapToGlobal(anchor->rect().center()).x());
}

TEST_F(KitPopupTest, escapeInsideTheContentCloses)
{
    KitPopup* popup = openPopup();
    QSignalSpy closed(popup, &KitPopup::closed);
    QWidget* field = popup->findChild<QWidget*>(QStringLiteral("popup-field"));
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(test::waitUntil([&] { return !popup->isVisible(); }));
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(KitPopupTest, clickOutsideClosesAndClickInsideDoesNot)
{
    KitPopup* popup = openPopup();
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(popup->isVisible());
    QSignalSpy closed(popup, &KitPopup::closed);
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(test::waitUntil([&] { return !popup->isVisible(); }));
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(KitPopupTest, hoverKindNeitherTakesFocusNorClicks)
{
    KitPopup* popup = openPopup(KitPopup::Kind::hover);
    EXPECT_TRUE(popup->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(QApplication::activeWindow(), &window) << "the window keeps the keyboard";
    QTest::mouseClick(outside, Qt::LeftButton);
    EXPECT_TRUE(popup->isVisible()) << "its owner hides it";
}

} // namespace
} // namespace tavlen::ui
