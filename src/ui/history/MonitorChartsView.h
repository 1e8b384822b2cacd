#pragma once

#ifndef Q_MOC_RUN
#include "KeyedViewTask.h"
#include "Uuid.h"
#endif

#include <QWidget>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class QBoxLayout;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace tavlen {
class MonitorCharts;
}

namespace tavlen::ui {

class ChartPanel;
class ProgressSpinner;
class TavlenButton;

// The Charts tab of a monitor: the time range and the field filter, the field count, an error row with Retry,
// and one chart panel per matching field, or the loading and empty states. It loads whenever it comes on screen
// and whenever the stored-checks revision or the range changes; leaving the screen cancels the load. Everything
// it shows comes from the model.
class MonitorChartsView : public QWidget
{
    Q_OBJECT

public:
    // model must outlive the view.
    MonitorChartsView(std::int64_t revision, MonitorCharts& model, QWidget* parent = nullptr);

    // A stored or deleted check.
    void setRevision(std::int64_t revision);

    // The panels on screen, in list order.
    std::vector<ChartPanel*> panels() const;

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeFilterBox();
    QWidget* makeErrorRow();
    void refresh();
    void refreshRange();
    void refreshPanels();
    void arrangeControls();
    void retry();

    MonitorCharts& m_model;
    std::int64_t m_revision;
    QWidget* m_header = nullptr;
    QBoxLayout* m_controls = nullptr;
    QWidget* m_rangeRow = nullptr;
    std::vector<TavlenButton*> m_rangeButtons;
    QWidget* m_filterBox = nullptr;
    QLineEdit* m_filter = nullptr;
    TavlenButton* m_clearFilter = nullptr;
    QLabel* m_count = nullptr;
    QFrame* m_divider = nullptr;
    QWidget* m_errorRow = nullptr;
    QLabel* m_errorText = nullptr;
    TavlenButton* m_retry = nullptr;
    QStackedWidget* m_content = nullptr;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_list = nullptr;
    ProgressSpinner* m_reloading = nullptr;
    std::unordered_map<Uuid, ChartPanel*> m_panels;
    KeyedViewTask<std::string> m_load;
};

} // namespace tavlen::ui
