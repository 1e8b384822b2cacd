#pragma once

#include <QCoroTask>

namespace tavlen {

// The browser client as the application holds it to quit.
class BrowserSessionControlling
{
public:
    virtual ~BrowserSessionControlling() = default;

    // Stops the session and tears the bridge down; returns within about two seconds even when Chrome does not
    // answer. A second call returns at once. Never throws.
    virtual QCoro::Task<void> stop() = 0;
};

} // namespace tavlen
