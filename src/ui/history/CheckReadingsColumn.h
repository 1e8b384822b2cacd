#pragma once

#ifndef Q_MOC_RUN
#include "CheckRowPresentation.h"
#endif

#include <QWidget>

class QVBoxLayout;

namespace tavlen {
class MonitorHistory;
}

namespace tavlen::ui {

// The last column of a check's row: the failure preview, the readings with their show-more toggle, "No readings",
// the load's error with Retry, or the loading note; rebuilt only when what it shows changes.
class CheckReadingsColumn : public QWidget
{
    Q_OBJECT

public:
    // model must outlive the column.
    CheckReadingsColumn(MonitorCheck check, MonitorHistory& model, QWidget* parent = nullptr);

    const ReadingsColumn& content() const { return m_content; }

    void refresh();

private:
    void rebuild();
    QWidget* makeReadings();

    MonitorCheck m_check;
    MonitorHistory& m_model;
    ReadingsColumn m_content;
    QVBoxLayout* m_layout;
    QWidget* m_shown = nullptr;
};

} // namespace tavlen::ui
