#include "LoginItemSettings.h"
#include "MainAppLoginItemService.h"
#include "ScopedEnvironment.h"
#include "SystemServiceError.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tavlen::test {
namespace {

std::string contentsOf(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class AutostartTest : public ::testing::Test
{
protected:
    TemporaryDirectory m_home;
    ScopedEnvironment m_config{"XDG_CONFIG_HOME", (m_home / "config").c_str()};
    std::filesystem::path m_program = m_home / "Tavlen $100% \"x\"" / "tavlen";
    std::filesystem::path m_entry = MainAppLoginItemService::defaultEntryFile("org.tavlen.Tavlen");

    void SetUp() override
    {
        std::filesystem::create_directories(m_program.parent_path());
        std::ofstream(m_program) << "#!/bin/sh\n";
        std::filesystem::permissions(m_program, std::filesystem::perms::owner_all);
    }
};

TEST_F(AutostartTest, EnablingWritesTheAutostartEntryAndDisablingRemovesIt)
{
    EXPECT_EQ(m_entry, m_home / "config" / "autostart" / "org.tavlen.Tavlen.desktop");
    LoginItemSettings settings(std::make_unique<MainAppLoginItemService>(m_entry, m_program));
    EXPECT_EQ(settings.status(), LoginItemStatus::notRegistered);

    settings.setEnabled(true);
    EXPECT_EQ(settings.status(), LoginItemStatus::enabled);
    EXPECT_EQ(settings.error(), std::nullopt);
    const std::string entry = contentsOf(m_entry);
    EXPECT_NE(
        entry.find("Exec=\"" + m_home.path().string() + "/Tavlen \\$100%% \\\"x\\\"/tavlen\" --launched-at-login\n"),
        std::string::npos)
        << entry;

    settings.setEnabled(false);
    EXPECT_EQ(settings.status(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(std::filesystem::exists(m_entry));
}

TEST_F(AutostartTest, TheStatusFollowsWhatTheDesktopDidToTheEntry)
{
    MainAppLoginItemService service(m_entry, m_program);
    service.registerLoginItem();

    struct Case
    {
        const char* name;
        std::string extraLine;
        bool removeProgram;
        LoginItemStatus expected;
    };

    const Case cases[] = {
        {"as written", "", false, LoginItemStatus::enabled},
        {"hidden", "Hidden=true\n", false, LoginItemStatus::notRegistered},
        {"switched off", "X-GNOME-Autostart-enabled=false\n", false, LoginItemStatus::notRegistered},
        {"program gone", "", true, LoginItemStatus::notFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(m_entry) << MainAppLoginItemService::entryText(m_program) << c.extraLine;
        if (c.removeProgram) {
            std::filesystem::rename(m_program, m_program.string() + ".moved");
        }
        EXPECT_EQ(service.status(), c.expected);
        if (c.removeProgram) {
            std::filesystem::rename(m_program.string() + ".moved", m_program);
        }
    }
}

TEST_F(AutostartTest, AFailedWriteReportsTheEntryAndTheReason)
{
    // A folder where the entry belongs: the entry cannot replace it, whoever runs the test.
    std::filesystem::create_directories(m_entry);
    LoginItemSettings settings(std::make_unique<MainAppLoginItemService>(m_entry, m_program));
    settings.setEnabled(true);
    EXPECT_EQ(settings.error(),
              "Couldn\u2019t enable Start at login: Could not write " + m_entry.string() + ": Is a directory.");
    EXPECT_EQ(settings.status(), LoginItemStatus::notRegistered);
    EXPECT_TRUE(std::filesystem::is_empty(m_entry.parent_path() / "org.tavlen.Tavlen.desktop"));
    EXPECT_FALSE(std::filesystem::exists(m_entry.string() + ".partial"));
}

// A login item whose status and failures the test sets.
class ScriptedLoginItemService final : public LoginItemServicing
{
public:
    LoginItemStatus status() const override { return current; }

    void registerLoginItem() override { act("register", LoginItemStatus::enabled); }

    void unregisterLoginItem() override { act("unregister", LoginItemStatus::notRegistered); }

    void openSystemSettings() override { calls.push_back("open"); }

    LoginItemStatus current = LoginItemStatus::notRegistered;
    std::optional<std::string> failure;
    std::vector<std::string> calls;

private:
    void act(const std::string& call, LoginItemStatus after)
    {
        calls.push_back(call);
        if (failure) {
            throw SystemServiceError(*failure);
        }
        current = after;
    }
};

TEST(LoginItemSettingsTest, TheFreshStatusChoosesTheCall)
{
    struct Case
    {
        LoginItemStatus status;
        bool enabled;
        std::vector<std::string> calls;
    };

    const Case cases[] = {
        {LoginItemStatus::enabled, true, {}},
        {LoginItemStatus::enabled, false, {"unregister"}},
        {LoginItemStatus::requiresApproval, true, {}},
        {LoginItemStatus::requiresApproval, false, {"unregister"}},
        {LoginItemStatus::notRegistered, true, {"register"}},
        {LoginItemStatus::notRegistered, false, {}},
        {LoginItemStatus::notFound, true, {"register"}},
        {LoginItemStatus::notFound, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "status " << static_cast<int>(c.status) << ", enable " << c.enabled);
        auto service = std::make_unique<ScriptedLoginItemService>();
        auto* script = service.get();
        LoginItemSettings settings(std::move(service));
        // The status changes behind the settings' back; setEnabled reads it afresh.
        script->current = c.status;
        settings.setEnabled(c.enabled);
        EXPECT_EQ(script->calls, c.calls);
    }
}

TEST(LoginItemSettingsTest, AnErrorStaysUntilTheStatusChangesOrTheNextAttempt)
{
    auto service = std::make_unique<ScriptedLoginItemService>();
    auto* script = service.get();
    LoginItemSettings settings(std::move(service));
    script->failure = "Could not write the entry.";
    settings.setEnabled(true);
    ASSERT_EQ(settings.error(), "Couldn\u2019t enable Start at login: Could not write the entry.");
    EXPECT_EQ(settings.status(), LoginItemStatus::notRegistered);

    settings.refresh();
    EXPECT_TRUE(settings.error());

    script->current = LoginItemStatus::enabled;
    settings.refresh();
    EXPECT_EQ(settings.error(), std::nullopt);
    EXPECT_EQ(settings.status(), LoginItemStatus::enabled);

    script->failure = "Could not remove the entry.";
    settings.setEnabled(false);
    EXPECT_EQ(settings.error(), "Couldn\u2019t disable Start at login: Could not remove the entry.");
    // Enabling while enabled only refreshes and clears the error.
    settings.setEnabled(true);
    EXPECT_EQ(settings.error(), std::nullopt);
    EXPECT_EQ(script->calls, (std::vector<std::string>{"register", "unregister"}));
}

} // namespace
} // namespace tavlen::test
