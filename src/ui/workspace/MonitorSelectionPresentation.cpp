#include "MonitorSelectionPresentation.h"

#include <QTimer>

namespace tavlen::ui {

MonitorSelectionPresentation::MonitorSelectionPresentation(std::function<void()> onPresented, QWidget* parent)
    : QWidget(parent)
    , m_onPresented(std::move(onPresented))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MonitorSelectionPresentation::setOnPresented(std::function<void()> onPresented)
{
    m_onPresented = std::move(onPresented);
    update();
}

void MonitorSelectionPresentation::paintEvent(QPaintEvent*)
{
    if (m_scheduled || !isVisible() || width() <= 0 || height() <= 0) {
        return;
    }
    m_scheduled = true;
    // The timer's context is this widget: when it goes first, nothing is called.
    QTimer::singleShot(0, this, [this] { report(); });
}

void MonitorSelectionPresentation::report()
{
    if (!isVisible()) {
        return;
    }
    std::function<void()> callback = std::exchange(m_onPresented, {});
    if (callback) {
        callback();
    }
}

} // namespace tavlen::ui
