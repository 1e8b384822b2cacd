#include "MonitorChartsView.h"

#include "Accessibility.h"
#include "ChartPanel.h"
#include "ChartsTabState.h"
#include "ChartsText.h"
#include "ContentUnavailableView.h"
#include "Date.h"
#include "KitColors.h"
#include "MonitorCharts.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>

namespace tavlen::ui {

namespace {

constexpr int filterWidth = 208;

QWidget* centred(QWidget* inner)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(inner, 0, Qt::AlignCenter);
    layout->addStretch(1);
    return page;
}

QWidget* loadingPage()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->addWidget(new ProgressSpinner(ProgressSpinner::Size::small, row));
    layout->addWidget(new QLabel(toQString(chartsText::loadingCharts), row));
    return centred(row);
}

} // namespace

MonitorChartsView::MonitorChartsView(std::int64_t revision, MonitorCharts& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_revision(revision)
    , m_load(this, [model = &m_model](std::string, std::stop_token stop) -> QCoro::Task<void> {
        co_await model->load(Date::now(), std::move(stop));
    })
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_header = makeHeader());
    m_divider = new QFrame(this);
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Plain);
    m_divider->setForegroundRole(QPalette::Mid);
    column->addWidget(m_divider);
    column->addWidget(m_errorRow = makeErrorRow());

    m_content = new QStackedWidget(this);
    m_content->addWidget(loadingPage());
    m_content->addWidget(new ContentUnavailableView(QStringLiteral("chart.xyaxis.line"),
                                                    toQString(chartsText::noReadingsTitle),
                                                    toQString(chartsText::noReadingsDescription)));
    m_content->addWidget(new ContentUnavailableView(QStringLiteral("magnifyingglass"),
                                                    toQString(chartsText::noMatchTitle),
                                                    toQString(chartsText::noMatchDescription)));
    m_scroll = new QScrollArea;
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    auto* list = new QWidget;
    m_list = new QVBoxLayout(list);
    m_list->setContentsMargins(16, 16, 16, 16);
    m_list->setSpacing(16);
    m_list->addStretch(1);
    m_scroll->setWidget(list);
    m_content->addWidget(m_scroll);
    m_content->addWidget(new QWidget);
    column->addWidget(m_content, 1);
    m_reloading = new ProgressSpinner(ProgressSpinner::Size::small, m_scroll);

    for (auto signal : {&MonitorCharts::seriesChanged,
                        &MonitorCharts::filterChanged,
                        &MonitorCharts::isLoadingChanged,
                        &MonitorCharts::hasLoadedChanged,
                        &MonitorCharts::errorChanged}) {
        connect(&m_model, signal, this, &MonitorChartsView::refresh);
    }
    connect(&m_model, &MonitorCharts::presetChanged, this, [this] {
        refreshRange();
        m_load.setKey(chartsLoadKey(m_revision, m_model.preset()));
    });
    refreshRange();
    refresh();
    m_load.setKey(chartsLoadKey(m_revision, m_model.preset()));
}

void MonitorChartsView::setRevision(std::int64_t revision)
{
    m_revision = revision;
    m_load.setKey(chartsLoadKey(m_revision, m_model.preset()));
}

std::vector<ChartPanel*> MonitorChartsView::panels() const
{
    std::vector<ChartPanel*> shown;
    for (int i = 0; i < m_list->count(); ++i) {
        if (auto* panel = qobject_cast<ChartPanel*>(m_list->itemAt(i)->widget())) {
            shown.push_back(panel);
        }
    }
    return shown;
}

QWidget* MonitorChartsView::makeHeader()
{
    auto* header = new QWidget(this);
    auto* rows = new QVBoxLayout(header);
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setSpacing(10);

    m_rangeRow = new QWidget(header);
    auto* buttons = new QHBoxLayout(m_rangeRow);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->setSpacing(4);
    setAccessibility(m_rangeRow, toQString(chartsText::timeRange));
    for (const ChartPreset preset : allChartPresets) {
        auto* button = new TavlenButton(toQString(rawValueOf(preset)),
                                        {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact},
                                        m_rangeRow);
        button->setObjectName(QStringLiteral("chart-range-") + toQString(rawValueOf(preset)));
        connect(button, &QAbstractButton::clicked, this, [this, preset] { m_model.setPreset(preset); });
        buttons->addWidget(button);
        m_rangeButtons.push_back(button);
    }
    m_rangeRow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_controls = new QBoxLayout(QBoxLayout::LeftToRight);
    m_controls->setSpacing(16);
    m_controls->addWidget(m_rangeRow, 0, Qt::AlignLeft);
    m_controls->addStretch(1);
    m_controls->addWidget(m_filterBox = makeFilterBox(), 0, Qt::AlignLeft);
    rows->addLayout(m_controls);

    m_count = new QLabel(header);
    m_count->setObjectName(QStringLiteral("chart-field-count"));
    m_count->setFont(textStyleFont(TextStyle::caption));
    m_count->setAlignment(Qt::AlignRight);
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    m_count->setPalette(secondary);
    rows->addWidget(m_count);
    return header;
}

QWidget* MonitorChartsView::makeFilterBox()
{
    auto* box = new QWidget;
    box->setFixedWidth(filterWidth);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    m_filter = new QLineEdit(box);
    m_filter->setObjectName(QStringLiteral("chart-filter"));
    m_filter->setPlaceholderText(toQString(chartsText::filterPlaceholder));
    setAccessibility(m_filter, toQString(chartsText::filterLabel));
    connect(
        m_filter, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setFilter(fromQString(text)); });
    row->addWidget(m_filter, 1);
    m_clearFilter = new TavlenButton({TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact}, box);
    m_clearFilter->setObjectName(QStringLiteral("chart-filter-clear"));
    m_clearFilter->setSymbolName(QStringLiteral("xmark.circle.fill"));
    setHelp(m_clearFilter, toQString(chartsText::clearFilter), toQString(chartsText::clearFilter));
    connect(m_clearFilter, &QAbstractButton::clicked, this, [this] { m_model.setFilter({}); });
    row->addWidget(m_clearFilter);
    return box;
}

QWidget* MonitorChartsView::makeErrorRow()
{
    auto* errorRow = new QWidget(this);
    auto* row = new QHBoxLayout(errorRow);
    row->setContentsMargins(16, 16, 16, 16);
    m_errorText = new QLabel(errorRow);
    m_errorText->setObjectName(QStringLiteral("chart-error"));
    m_errorText->setWordWrap(true);
    QPalette secondary = m_errorText->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    m_errorText->setPalette(secondary);
    row->addWidget(m_errorText, 1);
    m_retry = new TavlenButton(toQString(chartsText::retry),
                               {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular},
                               errorRow);
    m_retry->setObjectName(QStringLiteral("chart-retry"));
    connect(m_retry, &QAbstractButton::clicked, this, &MonitorChartsView::retry);
    row->addWidget(m_retry);
    return errorRow;
}

void MonitorChartsView::retry()
{
    // Not tied to the tab: a retry runs to its end even when the tab goes away; the model drops a stale result.
    TaskHandle<void>([model = &m_model](std::stop_token) -> QCoro::Task<void> { co_await model->load(Date::now()); });
}

void MonitorChartsView::refreshRange()
{
    for (std::size_t i = 0; i < m_rangeButtons.size(); ++i) {
        const bool selected = allChartPresets[i] == m_model.preset();
        m_rangeButtons[i]->setButtonStyle(
            {selected ? TavlenButtonStyle::Variant::primary : TavlenButtonStyle::Variant::standard,
             TavlenButtonStyle::Size::compact});
        m_rangeButtons[i]->setAccessibleDescription(selected ? QStringLiteral("selected") : QString());
    }
}

void MonitorChartsView::refresh()
{
    const std::vector<ChartSeries> filtered = m_model.filteredSeries();
    const bool hasSeries = !m_model.series().empty();
    const bool showsHeader = chartsShowsHeader(m_model.hasLoaded(), hasSeries);
    m_header->setVisible(showsHeader);
    m_divider->setVisible(showsHeader);
    const QString filter = toQString(m_model.filter());
    if (m_filter->text() != filter) {
        m_filter->setText(filter);
    }
    m_clearFilter->setVisible(!filter.isEmpty());
    m_count->setText(toQString(chartsFieldCountText(filtered.size())));
    m_errorRow->setVisible(m_model.error().has_value());
    m_errorText->setText(m_model.error() ? toQString(*m_model.error()) : QString());
    m_retry->setEnabled(!m_model.isLoading());
    const ChartsTabContent content =
        chartsTabContent(m_model.isLoading(), m_model.hasLoaded(), hasSeries, !filtered.empty());
    m_content->setCurrentIndex(static_cast<int>(content));
    m_reloading->setVisible(m_model.isLoading());
    refreshPanels();
}

void MonitorChartsView::refreshPanels()
{
    const std::vector<ChartSeries> filtered =
        m_model.hasLoaded() ? m_model.filteredSeries() : std::vector<ChartSeries>{};
    // Panels are kept by field, so a field that stays keeps its panel and the state of its strip.
    std::unordered_map<Uuid, ChartPanel*> kept;
    int index = 0;
    for (const ChartSeries& series : filtered) {
        ChartPanel* panel = nullptr;
        if (const auto found = m_panels.find(series.field.id); found != m_panels.end()) {
            panel = found->second;
            m_panels.erase(found);
            panel->setSeries(series);
            m_list->removeWidget(panel);
        } else {
            panel = new ChartPanel(series);
        }
        m_list->insertWidget(index++, panel);
        kept.emplace(series.field.id, panel);
    }
    for (const auto& [id, panel] : m_panels) {
        delete panel;
    }
    m_panels = std::move(kept);
}

void MonitorChartsView::arrangeControls()
{
    const int needed = m_rangeRow->sizeHint().width() + 16 + filterWidth + 32;
    m_controls->setDirection(width() >= needed ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    m_controls->setSpacing(width() >= needed ? 16 : 10);
}

void MonitorChartsView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrangeControls();
    m_reloading->move(m_scroll->width() - m_reloading->sizeHint().width() - 12, 12);
}

void MonitorChartsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_model.cancel();
}

} // namespace tavlen::ui
