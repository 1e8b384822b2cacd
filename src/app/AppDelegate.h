#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#ifndef Q_MOC_RUN
#include "ActivationPolicy.h"
#include "TaskHandle.h"
#include "Uuid.h"
#endif

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

class BrowserSessionControlling;
class KeepAwakeSettings;
class MonitorScheduler;
class StepsNavigation;

// How Tavlen starts, shows its main window and quits: a login start stays in the tray, every other path to the
// main window becomes one published open request that the window's scene consumes, the services start once, and
// every quit goes through one decision (unsaved changes, then the browser client, then the scheduler). Main
// thread only.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // Answers a quit request: true lets the application end.
    using TerminationReply = std::function<void(bool)>;

    AppDelegate();
    ~AppDelegate() override;

    // Handed over by the composition root.
    KeepAwakeSettings* keepAwake = nullptr;
    BrowserSessionControlling* browser = nullptr;
    QPointer<StepsNavigation> stepsNavigation;
    QPointer<MonitorScheduler> scheduler;
    std::function<void()> startServices;
    std::function<void()> refreshLoginItem;
    // The only way the policy changes; by default it is recorded in activationPolicy().
    std::function<void(ActivationPolicy)> setActivationPolicy;

    const std::optional<Uuid>& mainWindowOpenRequest() const { return m_mainWindowOpenRequest; }

    QWidget* mainWindow() const { return m_mainWindow.data(); }

    // Registers the main window; closing it hides it and keeps the object.
    void setMainWindow(QWidget* window);

    ActivationPolicy activationPolicy() const { return m_activationPolicy; }

    bool hasFinishedLaunching() const { return m_hasFinishedLaunching; }

    bool hasRequestedMainWindow() const { return m_hasRequestedMainWindow; }

    bool isQuitting() const { return m_quitting; }

    // Launching has finished: starts the services, then stays in the tray for a login start nobody asked to
    // show, or asks for the main window. Once only.
    void applicationDidFinishLaunching(bool launchedAtLogin);
    void applicationDidBecomeActive();
    // The first accepted URL asks for the main window; the rest are ignored.
    void openURLs(const std::vector<std::string>& urls);

    // Tavlen was started again without a URL.
    void applicationShouldHandleReopen() { requestMainWindow(); }

    // A quit from any path. The first request runs the decision and gets its reply; one made while a decision
    // runs gets none.
    void applicationShouldTerminate(TerminationReply reply);
    // The application is ending: releases the sleep prevention.
    void applicationWillTerminate();
    // Every quit path's request: the decision, then, when it allows, the end of the event loop with status 0.
    void terminate();

    bool requestMainWindow();
    bool consumeMainWindowOpenRequest();
    // Restores, raises and activates the registered main window.
    void showMainWindow();
    // Pauses the scheduler, asks about unsaved changes, then stops the browser client and the scheduler; false
    // (with the scheduler resumed) when the user cancels.
    QCoro::Task<bool> prepareForTermination();

Q_SIGNALS:
    void mainWindowOpenRequestChanged();

private:
    void setMainWindowOpenRequest(std::optional<Uuid> request);

    std::optional<Uuid> m_mainWindowOpenRequest;
    QPointer<QWidget> m_mainWindow;
    ActivationPolicy m_activationPolicy = ActivationPolicy::regular;
    bool m_hasFinishedLaunching = false;
    bool m_hasRequestedMainWindow = false;
    bool m_quitting = false;
    std::optional<TaskHandle<void>> m_termination;
};

} // namespace tavlen
