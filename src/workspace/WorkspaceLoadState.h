#pragma once

#include "MonitorStoreError.h"

#include <optional>
#include <utility>

namespace tavlen {

// Whether the monitor list has been read: loading (being read, or never read), ready (workspace actions may
// start) or failed with the storage error (the views show it with a retry control).
class WorkspaceLoadState
{
public:
    enum class Kind
    {
        loading,
        ready,
        failed,
    };

    static WorkspaceLoadState loading() { return WorkspaceLoadState(Kind::loading, std::nullopt); }

    static WorkspaceLoadState ready() { return WorkspaceLoadState(Kind::ready, std::nullopt); }

    static WorkspaceLoadState failed(MonitorStoreError error) { return WorkspaceLoadState(Kind::failed, error); }

    Kind kind() const { return m_kind; }

    bool isReady() const { return m_kind == Kind::ready; }

    // The error of a failed state; none otherwise.
    const std::optional<MonitorStoreError>& error() const { return m_error; }

    // The same case and, when failed, equal errors.
    friend bool operator==(const WorkspaceLoadState&, const WorkspaceLoadState&) = default;

private:
    WorkspaceLoadState(Kind kind, std::optional<MonitorStoreError> error)
        : m_kind(kind)
        , m_error(std::move(error))
    {}

    Kind m_kind;
    std::optional<MonitorStoreError> m_error;
};

} // namespace tavlen
