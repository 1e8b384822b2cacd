#pragma once

#include <QWidget>

#include <functional>

namespace tavlen::ui {

// Tells once that it has been painted: laid behind a placeholder, the first paint with a non-empty size in a shown
// window schedules the callback for the next turn of the event loop, so the placeholder is on screen before the
// heavier content replaces it. Mouse events pass through it to what lies beneath.
class MonitorSelectionPresentation : public QWidget
{
    Q_OBJECT

public:
    explicit MonitorSelectionPresentation(std::function<void()> onPresented, QWidget* parent = nullptr);

    // Replaces the callback that a later report calls; after the report there is none.
    void setOnPresented(std::function<void()> onPresented);

    // Whether the report has been scheduled; it never is twice.
    bool isScheduled() const { return m_scheduled; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void report();

    std::function<void()> m_onPresented;
    bool m_scheduled = false;
};

} // namespace tavlen::ui
