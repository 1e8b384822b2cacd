#include "WindowCloseGuard.h"

#include "AppDelegate.h"
#include "MonitorWorkspace.h"
#include "StepsNavigation.h"

#include <QTimer>

namespace tavlen {

WindowCloseGuard::WindowCloseGuard(AppDelegate& delegate, QWidget& window)
    : m_delegate(&delegate)
    , m_window(&window)
{}

WindowCloseGuard::~WindowCloseGuard() = default;

bool WindowCloseGuard::windowShouldClose()
{
    if (m_approved) {
        m_approved = false;
        return true;
    }
    if (m_deciding) {
        return false;
    }
    m_deciding = true;
    m_decision.emplace(*this, [this](std::stop_token) -> QCoro::Task<void> {
        QPointer<StepsNavigation> navigation = m_delegate ? m_delegate->stepsNavigation : nullptr;
        const bool allowed = navigation ? co_await navigation->allowLeaving(false) : true;
        // Closed from the event loop: a close asked for inside the close event that started this is ignored.
        QTimer::singleShot(0, this, [this, allowed] {
            if (allowed && m_window) {
                m_approved = true;
                m_window->close();
                m_approved = false;
            }
            m_deciding = false;
        });
    });
    return false;
}

} // namespace tavlen
