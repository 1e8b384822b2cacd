#include "TavlenMain.h"

#include "CommandLine.h"
#include "MainBundle.h"
#include "QuitSignals.h"
#include "SingleInstance.h"
#include "TavlenApp.h"
#include "TavlenScenes.h"

#include <QApplication>
#include <QEventLoop>
#include <QSessionManager>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace tavlen {

namespace {

std::vector<std::string> argumentsAfterProgram()
{
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i) {
        arguments.push_back(all[i].toStdString());
    }
    return arguments;
}

// A later start's message: a plain reopen, or a URL.
void deliver(AppDelegate& delegate, const QString& message)
{
    if (message.startsWith(QStringLiteral("open "))) {
        delegate.openURLs({message.mid(5).toStdString()});
    } else {
        delegate.applicationShouldHandleReopen();
    }
}

// The session is ending: with leave to ask, the quit decision runs now and a refusal cancels the logout;
// without it, the quit goes on as any other and the session ends it.
void handleSessionEnd(AppDelegate& delegate, QSessionManager& manager)
{
    if (!manager.allowsInteraction()) {
        delegate.terminate();
        return;
    }
    QEventLoop decision;
    bool allowed = false;
    delegate.applicationShouldTerminate([&](bool answer) {
        allowed = answer;
        decision.quit();
    });
    if (delegate.isQuitting()) {
        decision.exec();
    }
    manager.release();
    if (!allowed) {
        manager.cancel();
        return;
    }
    delegate.applicationWillTerminate();
    QCoreApplication::exit(0);
}

} // namespace

int runTavlen(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlen"));
    QApplication::setDesktopFileName(QStringLiteral("org.tavlen.Tavlen"));
    QApplication::setQuitOnLastWindowClosed(false);

    const auto parsed = CommandLine::parse(argumentsAfterProgram());
    if (const auto* usage = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "%s\n", usage->c_str());
        return 2;
    }
    const auto& line = std::get<CommandLine>(parsed);

    SingleInstance instance(SingleInstance::defaultDirectory(TavlenApp::bundleIdentifierOf(mainBundleDirectory())));
    switch (instance.claim(line.forwardedMessage())) {
    case SingleInstance::Claim::forwarded:
        return 0;
    case SingleInstance::Claim::failed:
        std::fprintf(
            stderr, "Tavlen could not tell whether it is already running (%s).\n", instance.socketPath().c_str());
        return 1;
    case SingleInstance::Claim::primary:
        break;
    }

    TavlenApp app;
    AppDelegate& delegate = app.appDelegate();
    TavlenScenes scenes(app);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &delegate, [&delegate] { delegate.terminate(); });
    QObject::connect(&instance, &SingleInstance::messageReceived, &delegate, [&delegate](const QString& message) {
        deliver(delegate, message);
    });
    QObject::connect(
        &application, &QGuiApplication::applicationStateChanged, &delegate, [&delegate](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) {
                delegate.applicationDidBecomeActive();
            }
        });
    QObject::connect(&application,
                     &QGuiApplication::commitDataRequest,
                     &delegate,
                     [&delegate](QSessionManager& manager) { handleSessionEnd(delegate, manager); });

    if (line.url) {
        delegate.openURLs({*line.url});
    }
    QTimer::singleShot(
        0, &delegate, [&delegate, atLogin = line.launchedAtLogin] { delegate.applicationDidFinishLaunching(atLogin); });
    return QApplication::exec();
}

} // namespace tavlen
