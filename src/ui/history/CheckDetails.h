#pragma once

#ifndef Q_MOC_RUN
#include "MonitorCheck.h"
#endif

#include <QWidget>

namespace tavlen::ui {

// The details of an expanded check: its whole failure message, and what its Read steps asked of the models (the
// usage grid), or why there is nothing to show.
class CheckDetails : public QWidget
{
    Q_OBJECT

public:
    explicit CheckDetails(MonitorCheck check, QWidget* parent = nullptr);

    const MonitorCheck& check() const { return m_check; }

private:
    MonitorCheck m_check;
};

} // namespace tavlen::ui
