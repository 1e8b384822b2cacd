#pragma once

#include "FileDescriptor.h"
#include "KeepAwakeServicing.h"

#include <QDBusConnection>

#include <chrono>
#include <functional>

namespace tavlen {

// Sleep prevention through logind's idle inhibitor ("idle", mode "block"), held as the descriptor logind hands
// out: the inhibitor lasts exactly as long as that descriptor is open. Main thread only.
class SystemKeepAwakeService final : public KeepAwakeServicing
{
public:
    using BusConnection = std::function<QDBusConnection()>;

    static constexpr std::chrono::milliseconds callTimeout{5000};

    // Connects to nothing until the first change; by default the system bus.
    explicit SystemKeepAwakeService(BusConnection bus = {});

    bool holdsInhibitor() const { return m_inhibitor.isOpen(); }

    void setEnabled(bool enabled) override;

private:
    BusConnection m_bus;
    FileDescriptor m_inhibitor;
};

} // namespace tavlen
