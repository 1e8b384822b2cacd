#pragma once

#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "MonitorCheck.h"
#endif

#include <QWidget>

#include <string>

class QLabel;
class QVBoxLayout;

namespace tavlen {
class MonitorHistory;
}

namespace tavlen::ui {

class CheckReadingsColumn;
class TavlenButton;

// One stored check in the history list: expand control, start, outcome with duration and the readings column;
// expanded, the delete line and the check's details. Every state it shows lives in the model, so a row can be
// dropped when it scrolls away and made again. While shown it loads the check's readings.
class CheckRow : public QWidget
{
    Q_OBJECT

public:
    // model must outlive the row.
    CheckRow(MonitorCheck check, MonitorHistory& model, QWidget* parent = nullptr);

    const MonitorCheck& check() const { return m_check; }

    bool isExpanded() const { return m_expandedArea != nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeHeaderLine();
    QWidget* makeExpandedArea();
    void refreshExpanded();
    void refreshDeletion();

    MonitorCheck m_check;
    MonitorHistory& m_model;
    QVBoxLayout* m_column;
    TavlenButton* m_expand = nullptr;
    CheckReadingsColumn* m_readings = nullptr;
    QWidget* m_expandedArea = nullptr;
    QLabel* m_deletionError = nullptr;
    TavlenButton* m_delete = nullptr;
    KeyedViewTask<std::string> m_readingsTask;
};

} // namespace tavlen::ui
