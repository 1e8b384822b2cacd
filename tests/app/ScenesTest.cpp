#include "AppRig.h"
#include "BoundedWait.h"
#include "MainWindow.h"
#include "MonitorWorkspace.h"
#include "ShellCommands.h"
#include "TavlenScenes.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

TEST(ScenesTest, NewMonitorWaitsForTheWorkspaceAndOpensTheWindowWithTheEditor)
{
    AppRig rig;
    TavlenScenes scenes(rig.app());
    EXPECT_EQ(scenes.mainWindow(), nullptr) << "no window before the first open request";
    EXPECT_FALSE(scenes.commands().newMonitor().isEnabled());
    EXPECT_FALSE(scenes.commands().checkForUpdates().isEnabled()) << "this build does not update itself";

    rig.delegate().applicationDidFinishLaunching(true);
    EXPECT_EQ(scenes.mainWindow(), nullptr) << "a login start opens no window";
    EXPECT_EQ(rig.delegate().activationPolicy(), ActivationPolicy::accessory);
    ASSERT_TRUE(waitUntil([&] { return scenes.commands().newMonitor().isEnabled(); }));

    scenes.commands().newMonitor().trigger();
    ASSERT_NE(scenes.mainWindow(), nullptr);
    EXPECT_TRUE(scenes.mainWindow()->isVisible());
    EXPECT_EQ(rig.delegate().activationPolicy(), ActivationPolicy::regular);
    EXPECT_NE(rig.app().workspace().editor(), nullptr);
    EXPECT_FALSE(scenes.commands().newMonitor().isEnabled()) << "disabled while the editor is open";
}

TEST(ScenesTest, OpenTavlenRestoresAMinimizedWindow)
{
    AppRig rig;
    TavlenScenes scenes(rig.app());
    rig.delegate().applicationDidFinishLaunching(false);
    ui::MainWindow* window = scenes.mainWindow();
    ASSERT_NE(window, nullptr);
    window->showMinimized();
    scenes.commands().openTavlen().trigger();
    EXPECT_EQ(scenes.mainWindow(), window);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
}

} // namespace
} // namespace tavlen::test
