#include "MonitorHistoryView.h"

#include "AlertPresenter.h"
#include "ContentUnavailableView.h"
#include "HistoryCheckList.h"
#include "HistoryViewText.h"
#include "KitColors.h"
#include "MonitorHistory.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "TaskHandle.h"
#include "TavlenButton.h"

#include <QBoxLayout>
#include <QLabel>
#include <QStackedWidget>

namespace tavlen::ui {

namespace {

QWidget* loadingPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("history-loading"));
    auto* column = new QVBoxLayout(page);
    column->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(new ProgressSpinner(ProgressSpinner::Size::small, page));
    row->addWidget(new QLabel(text::loadingChecks, page));
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);
    return page;
}

int pageOf(HistoryContent content)
{
    return static_cast<int>(content);
}

} // namespace

MonitorHistoryView::MonitorHistoryView(std::int64_t revision, MonitorHistory& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_load(this, [model = &m_model](std::int64_t, std::stop_token stop) { return model->refresh(std::move(stop)); })
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_banner = makeBanner());

    // Pages in the order of HistoryContent.
    m_content = new QStackedWidget(this);
    m_content->addWidget(loadingPage());
    auto* empty = new ContentUnavailableView(QStringLiteral("clock"), text::noChecksTitle, text::noChecksDescription);
    empty->setObjectName(QStringLiteral("history-empty"));
    m_content->addWidget(empty);
    m_content->addWidget(new QWidget);
    m_content->addWidget(m_list = new HistoryCheckList(m_model));
    column->addWidget(m_content, 1);

    m_alert = new AlertPresenter(this);
    connect(m_alert, &AlertPresenter::dismissed, this, [this] { m_model.setDeletionCandidate(std::nullopt); });
    connect(&m_model, &MonitorHistory::deletionCandidateChanged, this, &MonitorHistoryView::presentDeletion);

    for (auto signal : {&MonitorHistory::checksChanged,
                        &MonitorHistory::hasLoadedChanged,
                        &MonitorHistory::isRefreshingChanged,
                        &MonitorHistory::isLoadingOlderChanged,
                        &MonitorHistory::hasOlderChanged,
                        &MonitorHistory::errorChanged,
                        &MonitorHistory::olderErrorChanged}) {
        connect(&m_model, signal, this, &MonitorHistoryView::refresh);
    }
    refresh();
    presentDeletion();
    m_load.setKey(revision);
}

MonitorHistoryView::~MonitorHistoryView() = default;

void MonitorHistoryView::setRevision(std::int64_t revision)
{
    m_load.setKey(revision);
}

void MonitorHistoryView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_model.cancel();
}

QWidget* MonitorHistoryView::makeBanner()
{
    auto* banner = new QWidget(this);
    banner->setObjectName(QStringLiteral("history-error"));
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 12, 12, 12);
    row->addStretch(1);
    m_bannerText = new QLabel(banner);
    m_bannerText->setObjectName(QStringLiteral("history-error-text"));
    m_bannerText->setTextFormat(Qt::PlainText);
    m_bannerText->setWordWrap(true);
    QPalette secondary = m_bannerText->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    m_bannerText->setPalette(secondary);
    row->addWidget(m_bannerText);
    m_retry =
        new TavlenButton(text::retry, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}, banner);
    m_retry->setObjectName(QStringLiteral("history-retry"));
    connect(m_retry, &QAbstractButton::clicked, this, [model = &m_model] {
        TaskHandle<void>([model](std::stop_token) { return model->refresh(); });
    });
    row->addWidget(m_retry);
    row->addStretch(1);
    return banner;
}

void MonitorHistoryView::refresh()
{
    const std::optional<std::string>& error = m_model.error();
    m_banner->setVisible(error.has_value());
    m_bannerText->setText(error ? toQString(*error) : QString());
    m_retry->setEnabled(!m_model.isRefreshing());

    m_contentKind = historyContentOf(HistoryListFlags::of(m_model));
    m_content->setCurrentIndex(pageOf(m_contentKind));
}

void MonitorHistoryView::presentDeletion()
{
    const std::optional<MonitorCheck>& candidate = m_model.deletionCandidate();
    if (!candidate) {
        m_alert->present(std::nullopt);
        return;
    }
    m_alert->present(ui::deletionAlert(*candidate, [model = &m_model, check = *candidate] {
        model->setDeletionCandidate(std::nullopt);
        TaskHandle<void>([model, check](std::stop_token) { return model->deleteCheck(check); });
    }));
}

} // namespace tavlen::ui
