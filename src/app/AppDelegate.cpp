#include "AppDelegate.h"

#include "BrowserSessionControlling.h"
#include "KeepAwakeSettings.h"
#include "MainThread.h"
#include "MonitorScheduler.h"
#include "MonitorWorkspace.h"
#include "OpenURL.h"
#include "StepsNavigation.h"

#include <QCoreApplication>

namespace tavlen {

AppDelegate::AppDelegate()
    : setActivationPolicy([this](ActivationPolicy policy) { m_activationPolicy = policy; })
{}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setMainWindow(QWidget* window)
{
    if (window) {
        window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    m_mainWindow = window;
}

void AppDelegate::applicationDidFinishLaunching(bool launchedAtLogin)
{
    Q_ASSERT(isMainThread());
    if (m_hasFinishedLaunching) {
        return;
    }
    m_hasFinishedLaunching = true;
    if (startServices) {
        startServices();
    }
    if (refreshLoginItem) {
        refreshLoginItem();
    }
    if (launchedAtLogin && !m_hasRequestedMainWindow) {
        setActivationPolicy(ActivationPolicy::accessory);
        return;
    }
    requestMainWindow();
}

void AppDelegate::applicationDidBecomeActive()
{
    if (refreshLoginItem) {
        refreshLoginItem();
    }
}

void AppDelegate::openURLs(const std::vector<std::string>& urls)
{
    for (const auto& url : urls) {
        if (isOpenURL(url)) {
            requestMainWindow();
            return;
        }
    }
}

bool AppDelegate::requestMainWindow()
{
    Q_ASSERT(isMainThread());
    m_hasRequestedMainWindow = true;
    setActivationPolicy(ActivationPolicy::regular);
    setMainWindowOpenRequest(Uuid::random());
    return true;
}

bool AppDelegate::consumeMainWindowOpenRequest()
{
    if (!m_mainWindowOpenRequest) {
        return false;
    }
    setMainWindowOpenRequest(std::nullopt);
    return true;
}

void AppDelegate::showMainWindow()
{
    if (QWidget* window = m_mainWindow.data()) {
        if (window->isMinimized()) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        }
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void AppDelegate::applicationShouldTerminate(TerminationReply reply)
{
    Q_ASSERT(isMainThread());
    if (m_quitting) {
        return;
    }
    m_quitting = true;
    if (QWidget* window = m_mainWindow.data(); window && window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
    // Owned by the delegate: when it goes first, the decision stops and no reply comes.
    m_termination.emplace(*this, [this, reply = std::move(reply)](std::stop_token) -> QCoro::Task<void> {
        const bool allowed = co_await prepareForTermination();
        if (!allowed) {
            m_quitting = false;
        }
        if (reply) {
            reply(allowed);
        }
    });
}

void AppDelegate::applicationWillTerminate()
{
    if (keepAwake) {
        keepAwake->releaseForQuit();
    }
}

void AppDelegate::terminate()
{
    applicationShouldTerminate([this](bool allowed) {
        if (allowed) {
            applicationWillTerminate();
            QCoreApplication::exit(0);
        }
    });
}

QCoro::Task<bool> AppDelegate::prepareForTermination()
{
    if (scheduler) {
        scheduler->setPaused(true);
    }
    if (QPointer<StepsNavigation> navigation = stepsNavigation) {
        const bool allowed = co_await navigation->allowLeaving(true);
        if (!allowed) {
            if (scheduler) {
                scheduler->resume();
            }
            co_return false;
        }
    }
    if (browser) {
        co_await browser->stop();
    }
    if (scheduler) {
        scheduler->stop();
    }
    co_return true;
}

void AppDelegate::setMainWindowOpenRequest(std::optional<Uuid> request)
{
    if (request != m_mainWindowOpenRequest) {
        m_mainWindowOpenRequest = request;
        Q_EMIT mainWindowOpenRequestChanged();
    }
}

} // namespace tavlen
