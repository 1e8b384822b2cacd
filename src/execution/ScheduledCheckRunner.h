#pragma once

#include "QueuedCheck.h"
#include "Uuid.h"

#include <QCoroTask>

#include <exception>
#include <functional>

namespace tavlen {

// What the scheduler needs of the steps store: whether a scheduled run may start, and starting one.
class ScheduledCheckRunner
{
public:
    // Claims the queued check; awaited at most once, before the run executes any step.
    using Claim = std::function<QCoro::Task<bool>()>;
    // Called with the claim's error when the claim throws.
    using ClaimFailure = std::function<void(std::exception_ptr)>;

    virtual ~ScheduledCheckRunner() = default;

    // Whether any scheduled run could start now.
    virtual bool canStartScheduledCheck() const = 0;
    // Whether a scheduled run of this monitor could start now.
    virtual bool canRunScheduledCheck(const Uuid& monitorID) const = 0;
    // Starts the run of the monitor's saved workflow; it runs only when the claim returns true. Whether it started.
    virtual bool startScheduledCheck(const QueuedCheck& check, Claim claim, ClaimFailure onClaimFailure) = 0;
    // Called at the end of every execution and after every change of stored results; none clears it.
    virtual void setOnExecutionSettled(std::function<void()> handler) = 0;
};

} // namespace tavlen
