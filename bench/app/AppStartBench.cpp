#include "AppDelegate.h"
#include "BrowserClient.h"
#include "MainBundle.h"
#include "MainWindow.h"
#include "MonitorDatabase.h"
#include "MonitorWorkspace.h"
#include "SqliteConnection.h"
#include "StepsStore.h"
#include "TavlenApp.h"
#include "TavlenScenes.h"
#include "Uuid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>

namespace tavlen {
namespace {

constexpr int monitorCount = 100;

// Runs the event loop until done() holds or the limit passes; false on the limit.
template <class Done> bool runUntil(Done done, int limitMs = 30000)
{
    if (done()) {
        return true;
    }
    // A nested loop that sleeps between checks, so waiting costs the process no processor time of its own.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

template <class T> T finish(QCoro::Task<T> task)
{
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
    auto drive = [&]() -> QCoro::Task<void> {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            result = true;
        } else {
            result = co_await task;
        }
    };
    auto running = drive();
    runUntil([&] { return result.has_value(); });
    if constexpr (!std::is_void_v<T>) {
        return *result;
    }
}

// A home of its own with a workspace of 100 monitors whose schedules are on, and a bundle identifier of its own.
struct BenchHome
{
    BenchHome()
    {
        char pattern[] = "/tmp/tavlen-bench-XXXXXX";
        root = ::mkdtemp(pattern);
        for (const auto& [name, folder] : {std::pair{"HOME", ""},
                                           {"XDG_DATA_HOME", "data"},
                                           {"XDG_CONFIG_HOME", "config"},
                                           {"XDG_RUNTIME_DIR", "runtime"}}) {
            std::filesystem::create_directories(root / folder);
            ::setenv(name, (root / folder).c_str(), 1);
        }
        identifier = "org.tavlen.bench." + Uuid::random().lowercaseString();
        std::filesystem::create_directories(root / "bundle");
        std::ofstream(root / "bundle" / "Info.json") << R"({"CFBundleIdentifier":")" << identifier << R"("})";
        MonitorDatabase database(MonitorDatabase::defaultFileURL(identifier));
        finish(database.write([](SqliteConnection& connection) {
            for (int i = 0; i < monitorCount; ++i) {
                connection.execute(
                    "INSERT INTO monitors (id, name, version, created_at_ms, schedule_enabled) VALUES ('" +
                    Uuid::random().lowercaseString() + "', 'Monitor " + std::to_string(i) + "', 1, 1000, 1)");
            }
        }));
    }

    ~BenchHome() { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    std::string identifier;
};

// The application as the program builds it, ended as quitting ends it.
struct RunningApp
{
    explicit RunningApp(const BenchHome& home)
        : app([&] {
            TavlenAppEnvironment environment;
            environment.bundleDirectory = home.root / "bundle";
            return environment;
        }())
        , scenes(app)
    {}

    ~RunningApp()
    {
        finish(app.appDelegate().prepareForTermination());
        finish(app.stepsStore().waitUntilIdle(true));
    }

    TavlenApp app;
    TavlenScenes scenes;
};

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void startToMainWindowPainted(benchmark::State& state)
{
    overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
    BenchHome home;
    for (auto _ : state) {
        QElapsedTimer elapsed;
        elapsed.start();
        auto running = std::make_unique<RunningApp>(home);
        running->app.appDelegate().applicationDidFinishLaunching(false);
        ui::MainWindow* window = running->scenes.mainWindow();
        PaintCounter painted;
        window->installEventFilter(&painted);
        if (!runUntil([&] { return painted.paints > 0; })) {
            state.SkipWithError("the main window was never painted");
        }
        state.SetIterationTime(static_cast<double>(elapsed.nsecsElapsed()) / 1e9);
        runUntil([&] { return running->app.workspace().loadState().isReady(); });
        state.counters["monitors"] = static_cast<double>(running->app.workspace().monitors().size());
        window->removeEventFilter(&painted);
        running.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

BENCHMARK(startToMainWindowPainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Idle: the resident size with the window open, then the processor's share over ten seconds with it hidden while
// the scheduler's one-second passes run over 100 scheduled monitors.
void idleWith100ScheduledMonitors(benchmark::State& state)
{
    overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
    BenchHome home;
    for (auto _ : state) {
        RunningApp running(home);
        running.app.appDelegate().applicationDidFinishLaunching(false);
        runUntil([&] { return running.app.workspace().loadState().isReady() && !running.app.workspace().isBusy(); });
        QEventLoop settle;
        QTimer::singleShot(2000, &settle, &QEventLoop::quit);
        settle.exec();
        state.counters["rss_window_open_MB"] = residentMegabytes();
        running.scenes.mainWindow()->hide();
        const double cpuBefore = cpuSeconds();
        QElapsedTimer idle;
        idle.start();
        QEventLoop idleLoop;
        QTimer::singleShot(10000, &idleLoop, &QEventLoop::quit);
        idleLoop.exec();
        state.counters["cpu_window_hidden_percent"] =
            100.0 * (cpuSeconds() - cpuBefore) / (static_cast<double>(idle.elapsed()) / 1000.0);
        state.counters["scheduled"] = static_cast<double>(running.app.scheduler().snapshot().states.size());
        state.SetIterationTime(static_cast<double>(idle.elapsed()) / 1000.0);
    }
}

BENCHMARK(idleWith100ScheduledMonitors)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace tavlen
