#include "MonitorStatusIndicator.h"

#include "Accessibility.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorCheckStore.h"
#include "MonitorProgressRing.h"
#include "MonitorWorkspace.h"
#include "QtText.h"
#include "StepsStore.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceViewText.h"

#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

struct IndicatorMetrics
{
    int box;
    double ringDiameter;
    int symbolSize;
    int spacing;
};

IndicatorMetrics metricsOf(MonitorStatusIndicator::Size size)
{
    if (size == MonitorStatusIndicator::Size::detail) {
        return {36, 32, 28, 6};
    }
    return {24, 18, 13, 3};
}

} // namespace

MonitorStatusIndicator::MonitorStatusIndicator(
    Monitor monitor, MonitorWorkspace& workspace, StepsStore& stepsStore, Size size, QWidget* parent)
    : QWidget(parent)
    , m_monitor(std::move(monitor))
    , m_workspace(workspace)
    , m_store(stepsStore)
    , m_size(size)
    , m_symbolBox(new QWidget(this))
    , m_symbol(new QLabel(m_symbolBox))
    , m_ring(new MonitorProgressRing(metricsOf(size).ringDiameter, m_symbolBox))
{
    const IndicatorMetrics metrics = metricsOf(size);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics.spacing);
    m_symbolBox->setFixedSize(metrics.box, metrics.box);
    auto* stack = new QStackedLayout(m_symbolBox);
    stack->setStackingMode(QStackedLayout::StackAll);
    m_symbol->setAlignment(Qt::AlignCenter);
    stack->addWidget(m_symbol);
    stack->addWidget(m_ring);
    stack->setAlignment(m_ring, Qt::AlignCenter);
    layout->addWidget(m_symbolBox, 0, Qt::AlignHCenter);
    setIdentifier(m_symbolBox,
                  itemIdentifier(size == Size::detail ? QStringLiteral("monitor-status-detail-")
                                                      : QStringLiteral("monitor-status-sidebar-"),
                                 m_monitor.id));

    if (size == Size::detail) {
        m_caption = new QLabel(this);
        // Qt 6.4 cannot ask a font for tabular digits; the caption keeps its natural width instead.
        m_caption->setFont(textStyleFont(TextStyle::caption));
        QPalette captionPalette = m_caption->palette();
        captionPalette.setColor(QPalette::WindowText, secondaryColor(palette()));
        m_caption->setPalette(captionPalette);
        m_caption->setAccessibleName({});
        m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(m_caption, 0, Qt::AlignHCenter);
    } else {
        m_stopButton = new TavlenButton(
            text::stop, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact}, this);
        connect(m_stopButton, &QAbstractButton::clicked, this, [this] { m_store.cancelExecution(m_monitor.id); });
        layout->addWidget(m_stopButton, 0, Qt::AlignHCenter);
    }

    const auto update = [this] { refresh(); };
    const StepsStoreState& state = m_store.state();
    connect(&state, &StepsStoreState::activeMonitorIDChanged, this, update);
    connect(&state, &StepsStoreState::cancellingMonitorIDChanged, this, update);
    connect(&state, &StepsStoreState::latestExecutionOutcomesChanged, this, update);
    connect(&state, &StepsStoreState::latestExecutionCompletedAtMillisecondsChanged, this, update);
    connect(&m_store.executor(), &StepsExecutor::progressChanged, this, update);
    MonitorCheckStore& results = m_store.results();
    connect(&results, &MonitorCheckStore::storingResultsChanged, this, update);
    connect(&results, &MonitorCheckStore::resultStorageErrorsChanged, this, update);
    connect(&results, &MonitorCheckStore::pendingResultsChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::sidebarSummariesChanged, this, update);
    connect(&m_workspace, &MonitorWorkspaceState::sidebarErrorChanged, this, update);
    refresh();
}

void MonitorStatusIndicator::setMonitor(const Monitor& monitor)
{
    if (monitor == m_monitor) {
        return;
    }
    m_monitor = monitor;
    refresh();
}

void MonitorStatusIndicator::setQueued(bool isQueued)
{
    if (isQueued == m_isQueued) {
        return;
    }
    m_isQueued = isQueued;
    refresh();
}

QString MonitorStatusIndicator::title() const
{
    return monitorStatusTitle(m_status, m_facts.progress);
}

QString MonitorStatusIndicator::helpText() const
{
    return monitorStatusHelpText(m_status, m_facts, summary());
}

std::optional<MonitorSidebarSummary> MonitorStatusIndicator::summary() const
{
    const auto& summaries = m_workspace.sidebarSummaries();
    if (const auto found = summaries.find(m_monitor.id); found != summaries.end()) {
        return found->second;
    }
    return std::nullopt;
}

void MonitorStatusIndicator::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh(); // the symbol is tinted with the text colour (a selected row, a change of appearance)
    }
}

void MonitorStatusIndicator::refresh()
{
    m_facts = MonitorStatusFacts::of(m_monitor.id, m_store);
    const auto currentSummary = summary();
    m_status = deriveMonitorStatus(m_facts, currentSummary, m_isQueued, m_workspace.sidebarError().has_value());
    const QString statusTitle = title();
    const QString monitorName = toQString(m_monitor.name);
    const bool ring = showsProgressRing(m_status);
    const IndicatorMetrics metrics = metricsOf(m_size);

    m_ring->setVisible(ring);
    m_symbol->setVisible(!ring);
    if (ring) {
        m_ring->setFractionCompleted(monitorProgressFraction(m_facts.progress));
        m_symbolBox->setAccessibleDescription(m_facts.progress ? monitorProgressDescription(*m_facts.progress)
                                                               : statusTitle);
    } else {
        const qreal ratio = devicePixelRatioF();
        m_symbol->setPixmap(kitIconPixmap(monitorStatusSymbol(m_status),
                                          primaryColor(palette()),
                                          QSize(metrics.symbolSize, metrics.symbolSize),
                                          ratio));
        m_symbolBox->setAccessibleDescription({});
    }
    m_symbolBox->setAccessibleName(statusTitle + text::forMonitor + monitorName);
    m_symbolBox->setToolTip(monitorStatusHelpText(m_status, m_facts, currentSummary));

    if (m_caption) {
        m_caption->setVisible(ring);
        m_caption->setText(statusTitle);
    }
    if (m_stopButton) {
        const bool stopping = m_status == MonitorStatus::stopping;
        m_stopButton->setVisible(m_status == MonitorStatus::inProgress || stopping);
        m_stopButton->setEnabled(!stopping);
        m_stopButton->setToolTip(stopping ? text::stopping : text::stopExecution);
        m_stopButton->setAccessibleName(text::stopCheckFor + monitorName);
    }
}

} // namespace tavlen::ui
