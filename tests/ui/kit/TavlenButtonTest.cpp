#include "TavlenButton.h"

#include "Icons.h"
#include "WaitUntil.h"

#include <QDirIterator>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using Variant = TavlenButtonStyle::Variant;
using Size = TavlenButtonStyle::Size;

bool near(QColor actual, QColor expected, int tolerance = 6)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

class TavlenButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(&window);
        primary = new TavlenButton(QStringLiteral("Create monitor"), {Variant::primary, Size::regular});
        icon = new TavlenButton({Variant::icon, Size::compact});
        icon->setSymbolName(QStringLiteral("play"));
        standard = new TavlenButton(QStringLiteral("Retry"), {Variant::standard, Size::regular});
        layout->addWidget(primary);
        layout->addWidget(icon);
        layout->addWidget(standard);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    static void enter(TavlenButton* button)
    {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(button, &event);
    }

    QWidget window;
    TavlenButton* primary = nullptr;
    TavlenButton* icon = nullptr;
    TavlenButton* standard = nullptr;
};

TEST_F(TavlenButtonTest, sizesFollowTheStyle)
{
    EXPECT_EQ(icon->size(), QSize(24, 24));
    EXPECT_EQ(standard->height(), 28);
    const QSize shortTitle = standard->sizeHint();
    standard->setText(QStringLiteral("Retry storage now"));
    EXPECT_GT(standard->sizeHint().width(), shortTitle.width()) << "as wide as its one-line label";
    EXPECT_EQ(standard->sizeHint().height(), 28);
}

TEST_F(TavlenButtonTest, primaryIsFilledWithTheAccentAndAnIdleIconButtonIsNot)
{
    const QColor accent = window.palette().color(QPalette::Highlight);
    const QColor background = window.palette().color(QPalette::Window);
    const QImage primaryPixels = primary->grab().toImage();
    const QImage iconPixels = icon->grab().toImage();

    const struct
    {
        const char* name;
        const QImage& image;
        QPoint spot;
        QColor expected;
    } spots[] = {
        {"primary: above the title, inside the capsule", primaryPixels, {primary->width() / 2, 3}, accent},
        {"primary: left cap", primaryPixels, {6, primary->height() / 2}, accent},
        {"icon: above the symbol", iconPixels, {12, 2}, background},
        {"icon: left of the symbol", iconPixels, {2, 12}, background},
    };

    for (const auto& spot : spots) {
        SCOPED_TRACE(spot.name);
        const QColor actual = spot.image.pixelColor(spot.spot);
        EXPECT_TRUE(near(actual, spot.expected))
            << actual.name().toStdString() << " vs " << spot.expected.name().toStdString();
    }
}

TEST_F(TavlenButtonTest, hoverOfAnEnabledButtonFadesInOverATenthOfASecond)
{
    enter(standard);
    auto* fade = standard->findChild<QVariantAnimation*>();
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_EQ(fade->duration(), 100);
    EXPECT_EQ(fade->easingCurve().type(), QEasingCurve::OutCubic);
    EXPECT_LT(standard->currentAppearance().fillOpacity, 0.11) << "not at once";
    EXPECT_TRUE(test::waitUntil([&] { return fade->state() == QAbstractAnimation::Stopped; }));
    EXPECT_DOUBLE_EQ(standard->currentAppearance().fillOpacity, 0.11);
}

TEST_F(TavlenButtonTest, pressAndDisabledShowAtOnce)
{
    standard->setDown(true);
    EXPECT_DOUBLE_EQ(standard->currentAppearance().fillOpacity, 0.18);
    standard->setDown(false);
    standard->setEnabled(false);
    enter(standard);
    EXPECT_DOUBLE_EQ(standard->currentAppearance().fillOpacity, 0.05) << "a disabled button ignores hover";
    EXPECT_NE(standard->findChild<QVariantAnimation*>()->state(), QAbstractAnimation::Running);
}

TEST_F(TavlenButtonTest, theWholeFrameTakesClicks)
{
    QSignalSpy clicked(primary, &QAbstractButton::clicked);
    QTest::mouseClick(primary, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicked.count(), 1) << "the corner outside the capsule";
}

TEST(KitIconsTest, everySymbolRendersInItsColour)
{
    QDirIterator files(QStringLiteral(":/icons"));
    int count = 0;
    while (files.hasNext()) {
        const QString name = files.next().section(QLatin1Char('/'), -1).chopped(4);
        SCOPED_TRACE(name.toStdString());
        const QImage image = kitIconPixmap(name, Qt::red, QSize(16, 16), 2).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        bool painted = false;
        for (int y = 0; y < image.height() && !painted; ++y) {
            for (int x = 0; x < image.width() && !painted; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                painted = pixel.alpha() == 255 && pixel.red() == 255 && pixel.green() == 0;
            }
        }
        EXPECT_TRUE(painted);
        ++count;
    }
    EXPECT_GE(count, 35);
    EXPECT_TRUE(kitIcon(QStringLiteral("no.such.symbol")).isNull());
}

} // namespace
} // namespace tavlen::ui
