#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "MonitorStoreError.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <optional>
#include <string>

namespace tavlen {

// One opening of the new-monitor sheet: its identity, the id the new monitor will get (the same for every retry
// of this opening), the name typed so far and the error of the last failed create. Setters notify only on a
// change. Main thread only; shared by reference between the workspace and the sheet.
class MonitorEditorSession : public QObject
{
    Q_OBJECT

public:
    // Two fresh ids, an empty name and no error.
    MonitorEditorSession();

    const Uuid& id() const { return m_id; }

    const Uuid& proposedMonitorID() const { return m_proposedMonitorID; }

    // Untrimmed, as typed.
    const std::string& name() const { return m_name; }

    const std::optional<MonitorStoreError>& saveError() const { return m_saveError; }

    // Something other than white space and newlines is typed.
    bool hasValidName() const;

    void setName(std::string name);
    void setSaveError(std::optional<MonitorStoreError> error);

Q_SIGNALS:
    void nameChanged();
    void saveErrorChanged();

private:
    const Uuid m_id;
    const Uuid m_proposedMonitorID;
    std::string m_name;
    std::optional<MonitorStoreError> m_saveError;
};

} // namespace tavlen
