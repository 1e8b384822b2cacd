#include "BrowserClient.h"

#include "BridgeFailure.h"
#include "BrowserClientText.h"
#include "BrowserLog.h"
#include "BrowserProfileRepository.h"
#include "CancelledError.h"
#include "FailureDescription.h"
#include "FileDescriptor.h"
#include "MainBundle.h"
#include "MainThread.h"
#include "MonitorStoreError.h"
#include "Sleep.h"

#include <QPointer>

#include <unistd.h>

namespace tavlen {

namespace {

using namespace std::chrono_literals;

constexpr auto tickInterval = 1s;
constexpr auto stopWatchdog = 2s;

using Alive = QPointer<BrowserClientState>;

// The sentence of a set-up failure, before the advice to restart.
std::string setUpFailureSentence(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const BridgeFailure& bridgeFailure) {
        return bridgeFailure.message();
    } catch (const MonitorStoreError& storeError) {
        return storeError.errorDescription();
    } catch (const std::exception& error) {
        qCWarning(browserLog) << "could not prepare the Chrome connection:" << error.what();
    } catch (...) {
        qCWarning(browserLog) << "could not prepare the Chrome connection: unknown failure";
    }
    return std::string(browser_text::setUpFailed);
}

} // namespace

BrowserClient::BrowserClient(BrowserProfileRepository& profileRepository,
                             const TimeSource& time,
                             BrowserBridgeResources resources,
                             Options options,
                             QObject* parent)
    : QObject(parent)
    , m_profileRepository(profileRepository)
    , m_time(time)
    , m_resources(std::move(resources))
    , m_options(std::move(options))
    , m_connections(m_state, m_pending, m_time)
    , m_commands(m_state, m_connections, m_pending, m_profileRepository, m_time)
    , m_session(m_state, m_connections, m_commands, m_pending, m_time)
    , m_cleanup(m_state, m_connections, m_session, m_time)
{
    m_connections.setMessageHandler(
        [this](BrowserPeer& sender, BrowserMessage& message) { m_commands.handle(sender, message); });
}

BrowserClient::~BrowserClient()
{
    if (m_setupTask) {
        m_setupTask->cancel();
    }
    if (m_timer) {
        m_timer->cancel();
    }
    if (m_listener) {
        m_listener->stop();
    }
}

void BrowserClient::start()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_started || m_state.stopping) {
        return;
    }
    m_started = true;
    if (m_state.isSettingUp()) {
        return;
    }
    m_state.setSettingUp(true);
    m_state.setConnectionError(std::nullopt);
    m_setupTask.emplace(*this, [this](std::stop_token stop) { return setUp(stop); });
}

QCoro::Task<void> BrowserClient::setUp(std::stop_token stop)
{
    const Alive alive(&m_state);
    const auto abandoned = [&] { return !alive || stop.stop_requested() || m_state.stopping; };
    try {
        if (const auto failure = m_resources.failure()) {
            qCWarning(browserLog) << "could not load the browser resources:" << describeFailure(failure).c_str();
        }
        const BrowserConfiguration& config = m_resources.configuration();
        const auto registrations = m_options.registrations
                                       ? *m_options.registrations
                                       : BrowserRegistration::standard(mainBundleDirectory(), config);
        for (const auto& registration : registrations) {
            auto installing = install(registration);
            co_await std::move(installing);
            if (abandoned()) {
                break;
            }
        }
        if (!abandoned() && !m_listener) {
            auto reading = m_profileRepository.selectedProfileID();
            const auto selected = co_await std::move(reading);
            if (!abandoned()) {
                m_state.setSelectedProfileID(selected);
                m_state.setLimits(config.limits);
                m_connections.setResources(m_resources);
                auto listening = startListener(stop);
                co_await std::move(listening);
            }
        }
        if (!abandoned()) {
            m_connections.refreshProfiles();
        }
    } catch (...) {
        if (!abandoned()) {
            reportSetUpFailure(std::current_exception());
        }
    }
    if (alive) {
        m_state.setSettingUp(false);
    }
}

QCoro::Task<void> BrowserClient::install(BrowserRegistration registration)
{
    if (m_options.installRegistration) {
        auto installing = m_options.installRegistration(std::move(registration));
        co_await std::move(installing);
        co_return;
    }
    auto job = [registration = std::move(registration)] { registration.install(); };
    auto installing = m_background.run(std::move(job));
    co_await std::move(installing);
}

QCoro::Task<void> BrowserClient::startListener(std::stop_token stop)
{
    const Alive alive(&m_state);
    auto listener = std::make_shared<BrowserListener>(m_options.directory);
    // Runs on the listener's thread for every accepted socket and waits for the main thread to take it.
    // The socket closes once neither this call nor the posted job holds it, unless the connections took it.
    auto onAccept = [this, alive](int fd) {
        auto connection = std::make_shared<FileDescriptor>(fd);
        try {
            postToMainAndWait([this, alive, connection] {
                if (alive) {
                    m_connections.accept(connection->release());
                }
            });
        } catch (const CancelledError&) {
            // The application is shutting down.
        } catch (const std::exception& error) {
            qCWarning(browserLog) << "could not take a Chrome connection:" << error.what();
        }
    };
    auto job = [listener, onAccept = std::move(onAccept)] { listener->start(onAccept); };
    auto starting = m_background.run(std::move(job));
    co_await std::move(starting);
    if (!alive || stop.stop_requested() || m_state.stopping) {
        listener->stop();
        co_return;
    }
    m_listener = std::move(listener);
    startTimer();
}

void BrowserClient::startTimer()
{
    const Alive alive(&m_state);
    m_timer.emplace(*this, [this, alive](std::stop_token stop) -> QCoro::Task<void> {
        while (!stop.stop_requested()) {
            try {
                auto pause = sleepFor(tickInterval, stop, m_time);
                co_await std::move(pause);
            } catch (const CancelledError&) {
            }
            if (stop.stop_requested() || !alive) {
                co_return;
            }
            m_connections.tick();
        }
    });
}

void BrowserClient::reportSetUpFailure(std::exception_ptr failure)
{
    m_state.setConnectionError(setUpFailureSentence(std::move(failure)) +
                               std::string(browser_text::restartAfterCorrecting));
    m_state.setConnectionState(std::string(browser_text::unavailable));
}

QCoro::Task<void> BrowserClient::selectProfile(std::string profileID, std::stop_token stop)
{
    auto selecting = m_commands.selectProfile(std::move(profileID), std::move(stop));
    co_await std::move(selecting);
}

bool BrowserClient::isConnected() const
{
    return m_state.isConnected();
}

bool BrowserClient::isIdle() const
{
    return m_commands.isIdle();
}

std::string BrowserClient::connectionState() const
{
    return m_state.connectionState();
}

std::optional<std::string> BrowserClient::connectionID() const
{
    const auto peer = m_connections.selectedPeer();
    return peer ? std::optional(peer->id) : std::nullopt;
}

QCoro::Task<void> BrowserClient::startSession(std::string executionID,
                                              std::string url,
                                              std::optional<BrowserCaptureSettings> viewport,
                                              std::stop_token stop)
{
    auto starting =
        m_session.startSession(std::move(executionID), std::move(url), std::move(viewport), std::move(stop));
    co_await std::move(starting);
}

QCoro::Task<BrowserSnapshot> BrowserClient::captureSnapshot(int retries, std::stop_token stop)
{
    auto capturing = m_session.captureSnapshot(retries, std::move(stop));
    co_return co_await std::move(capturing);
}

QCoro::Task<bool> BrowserClient::finishSession(std::string executionID, std::string connectionID)
{
    auto finishing = m_cleanup.finishSession(std::move(executionID), std::move(connectionID));
    co_return co_await std::move(finishing);
}

QCoro::Task<void> BrowserClient::stop()
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (m_state.stopping) {
        co_return;
    }
    m_state.stopping = true;
    if (m_setupTask) {
        m_setupTask->cancel();
    }
    const Alive alive(&m_state);
    // Chrome gets two seconds to confirm the cancel; then the bridge is torn down, which fails the wait.
    const TaskHandle<void> watchdog(*this, [this, alive](std::stop_token stop) -> QCoro::Task<void> {
        try {
            auto pause = sleepFor(stopWatchdog, stop, m_time);
            co_await std::move(pause);
        } catch (const CancelledError&) {
        }
        if (alive) {
            tearDown();
        }
    });
    auto stopping = m_session.stopSession();
    co_await std::move(stopping);
    if (!alive) {
        co_return;
    }
    tearDown();
    watchdog.cancel();
}

void BrowserClient::tearDown()
{
    m_state.stopping = true;
    if (m_setupTask) {
        m_setupTask->cancel();
    }
    m_state.setSettingUp(false);
    if (m_timer) {
        m_timer->cancel();
        m_timer.reset();
    }
    if (m_listener) {
        m_listener->stop();
        m_listener.reset();
    }
    m_connections.dropAll();
    m_state.capture.reset();
    m_state.setExecutionID(std::nullopt);
    m_state.setWorking(false);
}

} // namespace tavlen
