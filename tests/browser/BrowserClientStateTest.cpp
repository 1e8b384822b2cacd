#include "BrowserClientState.h"

#include "BrowserClientText.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(BrowserClientStateTest, errorMessage_joinsThePresentErrorsInOrder)
{
    BrowserClientState state;
    EXPECT_EQ(state.errorMessage(), std::nullopt);
    state.setSelectionError("Selection.");
    EXPECT_EQ(state.errorMessage(), "Selection.");
    state.setConnectionError("Connection.");
    state.setOperationError("Operation.");
    EXPECT_EQ(state.errorMessage(), "Connection.\nOperation.\nSelection.");
}

TEST(BrowserClientStateTest, setters_notifyOnlyWhenTheValueChangesByItsOwnRule)
{
    BrowserClientState state;
    EXPECT_EQ(state.connectionState(), browser_text::preparing);
    int errorChanges = 0;
    int profileChanges = 0;
    int statusChanges = 0;
    QObject::connect(&state, &BrowserClientState::connectionErrorChanged, [&] { ++errorChanges; });
    QObject::connect(&state, &BrowserClientState::profilesChanged, [&] { ++profileChanges; });
    QObject::connect(&state, &BrowserClientState::statusChanged, [&] { ++statusChanges; });

    state.setConnectionError("Caf\u00E9");
    state.setConnectionError("Cafe\u0301"); // canonically equivalent
    state.setConnectionError(std::nullopt);
    state.setConnectionError(std::nullopt);
    EXPECT_EQ(errorChanges, 2);

    const BrowserProfile profile{"id", "Work", false, "1.0.0", "connection"};
    state.setProfiles({profile});
    state.setProfiles({profile});
    auto selected = profile;
    selected.selected = true;
    state.setProfiles({selected});
    EXPECT_EQ(profileChanges, 2);

    state.setStatus(state.initialStatus());
    EXPECT_EQ(statusChanges, 0);
    BrowserLimits limits;
    limits.operations = 20;
    state.setLimits(limits);
    EXPECT_EQ(state.status().operationsRemaining, 20) << "the untouched initial status takes the configured limit";
    EXPECT_EQ(statusChanges, 1);
}

} // namespace
} // namespace tavlen
