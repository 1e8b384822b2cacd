#pragma once

#include "Uuid.h"

namespace tavlen {

class MonitorWorkspace;

// Whether a monitor holds unsaved name, schedule or Steps edits, and whether the save and discard controls, the
// name field and the schedule editor are enabled now. A save error that blocks (see BlockingSaveError.h) or a
// Steps session in doubt closes saving and editing until a storage retry or a discard-and-reload.
class MonitorChangeGates
{
public:
    explicit MonitorChangeGates(const MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // The changes draft has unsaved edits, or the monitor's Steps session has.
    bool hasUnsavedChanges(const Uuid& monitorID) const;
    bool canSaveChanges(const Uuid& monitorID) const;
    bool canDiscardChanges(const Uuid& monitorID) const;
    bool canEditChanges(const Uuid& monitorID) const;

private:
    const MonitorWorkspace& m_workspace;
};

} // namespace tavlen
