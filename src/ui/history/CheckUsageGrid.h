#pragma once

#ifndef Q_MOC_RUN
#include "MonitorCheckUsage.h"
#endif

#include <QScrollArea>

#include <vector>

namespace tavlen::ui {

// What a check's Read steps asked of the models: one row per entry (model, loading, requests, inference, input and
// output tokens) and a Total row, in a grid that scrolls sideways when narrow. Incomplete figures say so.
class CheckUsageGrid : public QScrollArea
{
    Q_OBJECT

public:
    explicit CheckUsageGrid(std::vector<MonitorCheckUsage::Entry> entries, QWidget* parent = nullptr);

    const std::vector<MonitorCheckUsage::Entry>& entries() const { return m_entries; }

private:
    std::vector<MonitorCheckUsage::Entry> m_entries;
};

} // namespace tavlen::ui
