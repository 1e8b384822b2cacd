#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "BrowserBridgeResources.h"
#include "BrowserClientState.h"
#include "BrowserCommands.h"
#include "BrowserConnections.h"
#include "BrowserListener.h"
#include "BrowserPendingCommands.h"
#include "BrowserRegistration.h"
#include "BrowserSession.h"
#include "BrowserSessionCleanup.h"
#include "BrowserSessionControlling.h"
#include "SerialExecutor.h"
#include "StepsBrowser.h"
#include "TaskHandle.h"
#endif

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavlen {

class BrowserProfileRepository;
class TimeSource;

// Tavlen's end of the browser bridge, one for the life of the process, on the main thread. Once started it
// registers TavlenBrowserHost with Chrome, reads the chosen Chrome profile and listens in the rendezvous
// directory; it then runs each Chrome profile's connection, a one-second timer (silences, pings, command
// deadlines), the commands and one browser session at a time. Its observable state is state().
class BrowserClient final : public QObject, public StepsBrowser, public BrowserSessionControlling
{
    Q_OBJECT

public:
    // Writes one manifest; the default runs BrowserRegistration::install off the main thread.
    using RegistrationInstaller = std::function<QCoro::Task<void>(BrowserRegistration)>;

    struct Options
    {
        // The socket rendezvous directory: browserConnectionDirectory() of the application's bundle identifier.
        std::filesystem::path directory;
        // The manifests to write; by default one each for Google Chrome and Chromium, for the running bundle.
        std::optional<std::vector<BrowserRegistration>> registrations;
        RegistrationInstaller installRegistration;
    };

    // Does no input or output. The resources are the program's one load of them (a failed load shows as the
    // set-up's failure). The repository and time (the boot-time clock for ages of connections and deadlines of
    // commands, the monotonic one for the timer and watchdogs) must outlive the client.
    BrowserClient(BrowserProfileRepository& profileRepository,
                  const TimeSource& time,
                  BrowserBridgeResources resources,
                  Options options,
                  QObject* parent = nullptr);
    ~BrowserClient() override;

    // Read-only: only the client's own parts change it.
    const BrowserClientState& state() const { return m_state; }

    // Starts the set-up, once; failures show in the state's connection error. Nothing after stop has begun.
    void start();

    bool isStarted() const { return m_started; }

    bool isStopping() const { return m_state.stopping; }

    bool canSelectProfile() const { return m_commands.canSelectProfile(); }

    QCoro::Task<void> selectProfile(std::string profileID, std::stop_token stop = {});

    bool isConnected() const override;
    bool isIdle() const override;
    std::string connectionState() const override;
    std::optional<std::string> connectionID() const override;
    QCoro::Task<void> startSession(std::string executionID,
                                   std::string url,
                                   std::optional<BrowserCaptureSettings> viewport,
                                   std::stop_token stop) override;
    QCoro::Task<BrowserSnapshot> captureSnapshot(int retries, std::stop_token stop) override;
    QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID) override;

    QCoro::Task<void> stop() override;

private:
    QCoro::Task<void> setUp(std::stop_token stop);
    QCoro::Task<void> install(BrowserRegistration registration);
    QCoro::Task<void> startListener(std::stop_token stop);
    void startTimer();
    void tearDown();
    void reportSetUpFailure(std::exception_ptr failure);

    BrowserProfileRepository& m_profileRepository;
    const TimeSource& m_time;
    const BrowserBridgeResources m_resources;
    const Options m_options;
    // Declared first, destroyed last: the parts below and the tasks they start hold it.
    BrowserClientState m_state;
    BrowserPendingCommands m_pending;
    BrowserConnections m_connections;
    BrowserCommands m_commands;
    BrowserSession m_session;
    BrowserSessionCleanup m_cleanup;
    SerialExecutor m_background{"browser-setup"};
    std::shared_ptr<BrowserListener> m_listener;
    std::optional<TaskHandle<void>> m_setupTask;
    std::optional<TaskHandle<void>> m_timer;
    bool m_started = false;
};

} // namespace tavlen
