#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#ifndef Q_MOC_RUN
#include "TaskHandle.h"
#endif

#include <optional>

namespace tavlen {

class AppDelegate;

// Asks about unsaved changes before the main window closes: the close waits for the decision, then happens once
// it allows leaving. A close asked for while deciding is ignored. Main thread only.
class WindowCloseGuard : public QObject
{
    Q_OBJECT

public:
    WindowCloseGuard(AppDelegate& delegate, QWidget& window);
    ~WindowCloseGuard() override;

    // What the window's close asks: true lets it close now.
    bool windowShouldClose();

    bool isDeciding() const { return m_deciding; }

private:
    QPointer<AppDelegate> m_delegate;
    QPointer<QWidget> m_window;
    bool m_approved = false;
    bool m_deciding = false;
    std::optional<TaskHandle<void>> m_decision;
};

} // namespace tavlen
