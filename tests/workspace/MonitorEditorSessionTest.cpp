#include "MonitorEditorSession.h"

#include "StoreErrorPrinter.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(MonitorEditorSessionTest, aNameIsValidWhenSomethingBesidesWhiteSpaceIsTyped)
{
    const struct
    {
        const char* name;
        bool valid;
    } rows[] = {
        {"", false},
        {" \n\t\u00a0\u2028", false},
        {"  a \n", true},
    };

    MonitorEditorSession session;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        session.setName(row.name);
        EXPECT_EQ(session.hasValidName(), row.valid);
        EXPECT_EQ(session.name(), row.name); // kept untrimmed
    }
}

TEST(MonitorEditorSessionTest, settersReportOnlyChanges)
{
    MonitorEditorSession session;
    QSignalSpy nameSpy(&session, &MonitorEditorSession::nameChanged);
    QSignalSpy errorSpy(&session, &MonitorEditorSession::saveErrorChanged);
    session.setName("");
    EXPECT_EQ(nameSpy.count(), 0);
    session.setName("Prices");
    session.setName("Prices");
    EXPECT_EQ(nameSpy.count(), 1);

    session.setSaveError(MonitorStoreError::validation("Enter a name."));
    session.setSaveError(MonitorStoreError::validation("Another sentence."));
    EXPECT_EQ(errorSpy.count(), 2);
    session.setSaveError(MonitorStoreError::storage());
    session.setSaveError(MonitorStoreError::storage());
    EXPECT_EQ(errorSpy.count(), 3);
    // Editing the name keeps the error.
    session.setName("Other");
    EXPECT_EQ(session.saveError(), MonitorStoreError::storage());
}

TEST(MonitorEditorSessionTest, everyOpeningHasIdentifiersOfItsOwn)
{
    const MonitorEditorSession first;
    const MonitorEditorSession second;
    EXPECT_NE(first.id(), second.id());
    EXPECT_NE(first.proposedMonitorID(), second.proposedMonitorID());
    EXPECT_NE(first.id(), first.proposedMonitorID());
    EXPECT_EQ(first.name(), "");
    EXPECT_EQ(first.saveError(), std::nullopt);
}

} // namespace
} // namespace tavlen
