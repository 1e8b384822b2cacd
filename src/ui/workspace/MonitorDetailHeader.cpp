#include "MonitorDetailHeader.h"

#include "Accessibility.h"
#include "ElidedLabel.h"
#include "MonitorControls.h"
#include "MonitorScheduleIndicator.h"
#include "MonitorStatusIndicator.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "SidebarPageLine.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tavlen::ui {

MonitorDetailHeader::MonitorDetailHeader(
    Monitor monitor, MonitorWorkspace& workspace, StepsStore& stepsStore, MonitorScheduleFacts facts, QWidget* parent)
    : QWidget(parent)
    , m_monitor(std::move(monitor))
    , m_workspace(workspace)
    , m_schedule(new MonitorScheduleIndicator(m_monitor, facts.state, MonitorScheduleIndicator::Size::detail, this))
    , m_name(new ElidedLabel(this))
    , m_domain(new ElidedLabel(this))
    , m_status(new MonitorStatusIndicator(m_monitor, workspace, stepsStore, MonitorStatusIndicator::Size::detail, this))
    , m_controls(new MonitorControls(m_monitor.id, stepsStore, workspace, this))
{
    setIdentifier(this, QStringLiteral("monitor-detail-header"));
    m_name->setObjectName(QStringLiteral("monitor-detail-name"));
    m_domain->setObjectName(QStringLiteral("monitor-detail-domain"));
    m_name->setFont(systemFont(24, QFont::DemiBold));
    m_name->setTextIsTooltip(true);
    m_domain->setFont(systemFont(15));
    m_domain->setSecondary(true);
    m_domain->setTextIsTooltip(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    auto* identity = new QHBoxLayout;
    identity->setSpacing(16);
    identity->addWidget(m_schedule, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_name);
    texts->addWidget(m_domain);
    identity->addLayout(texts, 1);
    row->addLayout(identity, 1);
    row->addWidget(m_status, 0, Qt::AlignTop);
    layout->addLayout(row);
    layout->addWidget(m_controls, 0, Qt::AlignLeft);

    m_name->setText(toQString(m_monitor.name));
    m_status->setQueued(facts.isQueued);
    connect(&workspace, &MonitorWorkspaceState::sidebarSummariesChanged, this, [this] { refreshDomain(); });
    connect(&workspace, &MonitorWorkspaceState::sidebarErrorChanged, this, [this] { refreshDomain(); });
    refreshDomain();
}

void MonitorDetailHeader::setMonitor(const Monitor& monitor)
{
    m_monitor = monitor;
    m_name->setText(toQString(monitor.name));
    m_schedule->setMonitor(monitor);
    m_status->setMonitor(monitor);
}

void MonitorDetailHeader::setScheduleFacts(const MonitorScheduleFacts& facts)
{
    m_schedule->setScheduleState(facts.state);
    m_status->setQueued(facts.isQueued);
}

void MonitorDetailHeader::refreshDomain()
{
    m_domain->setText(monitorPageText(summaryDomain(m_workspace.sidebarSummaries(), m_monitor.id),
                                      m_workspace.sidebarError().has_value()));
}

} // namespace tavlen::ui
