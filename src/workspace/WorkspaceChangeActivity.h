#pragma once

#include "Uuid.h"

namespace tavlen {

// The monitor whose changes the workspace is saving or discarding.
struct WorkspaceChangeActivity
{
    enum class Kind
    {
        saving,
        discardingChanges,
    };

    Kind kind = Kind::saving;
    Uuid monitorID;

    static WorkspaceChangeActivity saving(const Uuid& monitorID) { return {Kind::saving, monitorID}; }

    static WorkspaceChangeActivity discardingChanges(const Uuid& monitorID)
    {
        return {Kind::discardingChanges, monitorID};
    }

    friend bool operator==(const WorkspaceChangeActivity&, const WorkspaceChangeActivity&) = default;
};

} // namespace tavlen
