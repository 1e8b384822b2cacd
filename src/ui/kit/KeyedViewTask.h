#pragma once

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

class QWidget;

namespace tavlen::ui {

// The untyped part: watches the view and owns the stop source of the running body.
class ViewTaskRunner : public QObject
{
    Q_OBJECT

public:
    // The body gets a token that is stopped when the task restarts, the view hides or the runner is destroyed.
    using Start = std::function<QCoro::Task<void>(std::stop_token)>;

    ViewTaskRunner(QWidget* view, Start start);
    ~ViewTaskRunner() override;

    bool isRunning() const;
    // Stops the running body (if any) and starts a new one when the view is visible.
    void restart();
    // Stops the running body; nothing starts until restart() or the view shows again.
    void cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCoro::Task<void> run(Start start, std::stop_token token);

    QPointer<QWidget> m_view;
    Start m_start;
    std::optional<std::stop_source> m_stop;
    bool m_wanted = false;
    int m_generation = 0;
    int m_finishedGeneration = 0;
};

// Runs a coroutine for a view keyed by a value: it starts when the view shows, restarts (the previous run
// stopped) when the key changes, and is stopped when the view hides or is destroyed. The body must not use the
// view after a co_await without first checking its token: a stopped body returns at its next check.
//
//     KeyedViewTask<int> m_load{this, [this](int revision, std::stop_token stop) -> QCoro::Task<void> {
//         auto rows = co_await m_store.loadRows(revision, stop);
//         if (stop.stop_requested()) co_return;
//         showRows(std::move(rows));
//     }};
//     …  m_load.setKey(store.revision());
template <typename Key> class KeyedViewTask
{
public:
    using Body = std::function<QCoro::Task<void>(Key, std::stop_token)>;

    // A lambda body's captures live in its closure, which a suspended run keeps alive (it holds a copy of the
    // start function that shares the body), so captures stay valid after the view is gone.
    KeyedViewTask(QWidget* view, Body body)
        : m_body(std::make_shared<Body>(std::move(body)))
        , m_runner(view, [this, shared = m_body](std::stop_token stop) { return (*shared)(*m_key, std::move(stop)); })
    {}

    const std::optional<Key>& key() const { return m_key; }

    bool isRunning() const { return m_runner.isRunning(); }

    // Restarts the task when the key differs from the last one (or is the first).
    void setKey(Key key)
    {
        if (m_key && *m_key == key) {
            return;
        }
        m_key = std::move(key);
        m_runner.restart();
    }

    void cancel() { m_runner.cancel(); }

private:
    std::shared_ptr<Body> m_body;
    std::optional<Key> m_key;
    ViewTaskRunner m_runner;
};

} // namespace tavlen::ui
