#include "KeyedViewTask.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

#include <exception>

namespace tavlen::ui {

namespace {

Q_LOGGING_CATEGORY(viewTaskLog, "tavlen.ui.task")

} // namespace

ViewTaskRunner::ViewTaskRunner(QWidget* view, Start start)
    : m_view(view)
    , m_start(std::move(start))
{
    if (view) {
        view->installEventFilter(this);
    }
}

ViewTaskRunner::~ViewTaskRunner()
{
    if (m_stop) {
        m_stop->request_stop();
    }
}

bool ViewTaskRunner::isRunning() const
{
    return m_stop.has_value() && m_finishedGeneration != m_generation;
}

void ViewTaskRunner::restart()
{
    m_wanted = true;
    if (m_stop) {
        m_stop->request_stop();
        m_stop.reset();
    }
    if (!m_view || !m_view->isVisible()) {
        return; // starts when the view shows
    }
    m_stop.emplace();
    ++m_generation;
    run(m_start, m_stop->get_token());
}

void ViewTaskRunner::cancel()
{
    m_wanted = false;
    if (m_stop) {
        m_stop->request_stop();
        m_stop.reset();
    }
}

bool ViewTaskRunner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view) {
        if (event->type() == QEvent::Hide && m_stop) {
            m_stop->request_stop();
            m_stop.reset();
        } else if (event->type() == QEvent::Show && m_wanted && !m_stop) {
            restart();
        }
    }
    return QObject::eventFilter(watched, event);
}

QCoro::Task<void> ViewTaskRunner::run(Start start, std::stop_token token)
{
    // Everything this frame needs lives in it: the runner may be gone when the body resumes, so only a run that
    // was not stopped (its runner still alive and this its current run) reports back.
    const int generation = m_generation;
    QPointer<ViewTaskRunner> runner(this);
    try {
        co_await start(token);
    } catch (const std::exception& error) {
        if (!token.stop_requested()) {
            qCWarning(viewTaskLog) << "view task failed:" << error.what();
        }
    }
    if (!token.stop_requested() && runner) {
        runner->m_finishedGeneration = generation;
    }
}

} // namespace tavlen::ui
