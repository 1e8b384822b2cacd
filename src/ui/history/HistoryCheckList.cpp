#include "HistoryCheckList.h"

#include "Accessibility.h"
#include "CheckRow.h"
#include "HistoryViewText.h"
#include "KitColors.h"
#include "MonitorHistory.h"
#include "ProgressSpinner.h"
#include "RetireWidget.h"
#include "TaskHandle.h"
#include "TavlenButton.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tavlen::ui {

namespace {

// Layout passes that measure newly shown rows before the positions are taken as they are.
constexpr int measurePasses = 4;

void clearLayout(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        retireWidget(item->widget());
        delete item;
    }
}

void loadOlder(MonitorHistory* model)
{
    TaskHandle<void>([model](std::stop_token) { return model->loadOlder(); });
}

} // namespace

HistoryCheckList::HistoryCheckList(MonitorHistory& model, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_footer(new QWidget(viewport()))
{
    setIdentifier(this, QStringLiteral("history-list"));
    setAccessibleName(text::history);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    m_footer->setObjectName(QStringLiteral("history-footer"));
    auto* footerLayout = new QVBoxLayout(m_footer);
    footerLayout->setContentsMargins(16, 16, 16, 16);
    footerLayout->setSpacing(8);
    footerLayout->setAlignment(Qt::AlignHCenter);
    m_footer->installEventFilter(this);

    // A collapsed row of one-line readings: the padded header line with its two-line columns, and the divider.
    const QFontMetrics metrics(font());
    m_estimate = 12 + 2 * metrics.lineSpacing() + 3 + 12 + 1;

    connect(&m_model, &MonitorHistory::checksChanged, this, &HistoryCheckList::handleChecksChanged);
    for (auto signal : {&MonitorHistory::isLoadingOlderChanged,
                        &MonitorHistory::olderErrorChanged,
                        &MonitorHistory::hasOlderChanged}) {
        connect(&m_model, signal, this, &HistoryCheckList::refreshFooter);
    }
    handleChecksChanged();
    refreshFooter();
}

HistoryCheckList::~HistoryCheckList() = default;

std::vector<CheckRow*> HistoryCheckList::rows() const
{
    std::vector<CheckRow*> shown;
    for (const auto& [id, row] : m_rows) {
        shown.push_back(row);
    }
    std::sort(shown.begin(), shown.end(), [](CheckRow* a, CheckRow* b) { return a->y() < b->y(); });
    return shown;
}

CheckRow* HistoryCheckList::rowFor(const Uuid& checkID) const
{
    const auto found = m_rows.find(checkID);
    return found == m_rows.end() ? nullptr : found->second;
}

int HistoryCheckList::contentWidth() const
{
    return std::max(viewport()->width(), minimumContentWidth);
}

std::optional<std::int64_t> HistoryCheckList::topOf(const Uuid& checkID) const
{
    const auto found = m_indexOf.find(checkID);
    return found == m_indexOf.end() ? std::nullopt : std::optional(m_offsets.top(found->second));
}

void HistoryCheckList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void HistoryCheckList::scrollContentsBy(int, int)
{
    if (m_layingOut) {
        return;
    }
    takeAnchorFromScroll();
    layoutRows();
}

bool HistoryCheckList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest) {
        scheduleLayout();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

bool HistoryCheckList::eventFilter(QObject* watched, QEvent* event)
{
    // A row or the footer whose content changed may have changed height.
    if (event->type() == QEvent::LayoutRequest && watched->parent() == viewport()) {
        scheduleLayout();
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void HistoryCheckList::handleChecksChanged()
{
    const std::vector<MonitorCheck>& checks = m_model.checks();
    m_ids.clear();
    m_ids.reserve(checks.size());
    m_indexOf.clear();
    m_indexOf.reserve(checks.size());
    std::vector<int> heights;
    heights.reserve(checks.size());
    for (const MonitorCheck& check : checks) {
        m_indexOf.emplace(check.id, static_cast<int>(m_ids.size()));
        m_ids.push_back(check.id);
        const auto measured = m_measured.find(check.id);
        heights.push_back(measured == m_measured.end() ? m_estimate : measured->second);
    }
    m_offsets = HistoryRowOffsets(std::move(heights));
    // Rows of checks no longer listed go; a listed check keeps its row.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (!m_indexOf.contains(it->first)) {
            retireWidget(it->second);
            it = m_rows.erase(it);
        } else {
            ++it;
        }
    }
    if (m_anchor && !m_indexOf.contains(m_anchor->checkID)) {
        m_anchor.reset(); // the top row left: the view stays where it was
    }
    layoutRows();
}

void HistoryCheckList::refreshFooter()
{
    const HistoryFooter kind = historyFooterOf(HistoryListFlags::of(m_model));
    if (kind == m_footerKind && !m_footer->layout()->isEmpty()) {
        return;
    }
    m_footerKind = kind;
    QLayout* layout = m_footer->layout();
    clearLayout(layout);
    const TavlenButtonStyle standard{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};
    switch (kind) {
    case HistoryFooter::none:
        break;
    case HistoryFooter::loadingOlder: {
        auto* row = new QWidget(m_footer);
        auto* items = new QHBoxLayout(row);
        items->setContentsMargins(0, 0, 0, 0);
        items->addWidget(new ProgressSpinner(ProgressSpinner::Size::small, row));
        items->addWidget(new QLabel(text::loadingOlderChecks, row));
        layout->addWidget(row);
        layout->setAlignment(row, Qt::AlignHCenter);
        break;
    }
    case HistoryFooter::olderError: {
        auto* message = new QLabel(m_footer);
        message->setObjectName(QStringLiteral("history-older-error"));
        message->setText(QString::fromStdString(m_model.olderError().value_or(std::string())));
        message->setTextFormat(Qt::PlainText);
        QPalette secondary = message->palette();
        secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
        message->setPalette(secondary);
        layout->addWidget(message);
        layout->setAlignment(message, Qt::AlignHCenter);
        auto* retry = new TavlenButton(text::retry, standard, m_footer);
        retry->setObjectName(QStringLiteral("history-older-retry"));
        connect(retry, &QAbstractButton::clicked, this, [model = &m_model] { loadOlder(model); });
        layout->addWidget(retry);
        layout->setAlignment(retry, Qt::AlignHCenter);
        break;
    }
    case HistoryFooter::loadOlder: {
        auto* button = new TavlenButton(text::loadOlderChecks, standard, m_footer);
        button->setObjectName(QStringLiteral("history-load-older"));
        connect(button, &QAbstractButton::clicked, this, [model = &m_model] { loadOlder(model); });
        layout->addWidget(button);
        layout->setAlignment(button, Qt::AlignHCenter);
        break;
    }
    }
    layoutRows();
}

void HistoryCheckList::scheduleLayout()
{
    if (m_layoutPending) {
        return;
    }
    m_layoutPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_layoutPending) {
                layoutRows();
            }
        },
        Qt::QueuedConnection);
}

void HistoryCheckList::layoutRows()
{
    if (m_layingOut) {
        return;
    }
    m_layingOut = true;
    m_layoutPending = false;
    const int width = contentWidth();
    if (width != m_measuredWidth) {
        // Heights measured at another width no longer hold.
        m_measured.clear();
        m_measuredWidth = width;
        m_offsets = HistoryRowOffsets(std::vector<int>(m_ids.size(), m_estimate));
    }
    for (int pass = 0; pass < measurePasses; ++pass) {
        updateScrollBars(width);
        applyAnchor();
        if (!measureVisibleRows(width)) {
            break;
        }
    }
    updateScrollBars(width);
    applyAnchor();
    placeRows(width);
    if (!m_anchor) {
        takeAnchorFromScroll();
    }
    m_layingOut = false;
}

bool HistoryCheckList::measureVisibleRows(int width)
{
    const std::int64_t top = verticalScrollBar()->value();
    const std::int64_t bottom = top + viewport()->height();
    bool changed = false;
    for (int index = m_offsets.indexAt(top); index < m_offsets.count() && m_offsets.top(index) < bottom; ++index) {
        CheckRow* row = ensureRow(index);
        const int height = row->heightForWidth(width);
        const int measured = height > 0 ? height : row->sizeHint().height();
        m_measured[m_ids[static_cast<std::size_t>(index)]] = measured;
        if (measured != m_offsets.height(index)) {
            m_offsets.setHeight(index, measured);
            changed = true;
        }
    }
    return changed;
}

void HistoryCheckList::placeRows(int width)
{
    const int x = -horizontalScrollBar()->value();
    const std::int64_t top = verticalScrollBar()->value();
    const std::int64_t bottom = top + viewport()->height();
    const int first = m_offsets.indexAt(top);
    int last = first;
    while (last < m_offsets.count() && m_offsets.top(last) < bottom) {
        ++last;
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        const int index = m_indexOf.at(it->first);
        if (index < first || index >= last) {
            retireWidget(it->second);
            it = m_rows.erase(it);
        } else {
            ++it;
        }
    }
    for (int index = first; index < last; ++index) {
        CheckRow* row = ensureRow(index);
        row->setGeometry(x, static_cast<int>(m_offsets.top(index) - top), width, m_offsets.height(index));
        row->show();
    }
    const int footer = footerHeight(width);
    m_footer->setGeometry(x, static_cast<int>(m_offsets.total() - top), width, footer);
    m_footer->setVisible(footer > 0 && m_offsets.total() < bottom);
}

void HistoryCheckList::updateScrollBars(int width)
{
    const std::int64_t content = m_offsets.total() + footerHeight(width);
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, static_cast<int>(std::max<std::int64_t>(0, content - viewport()->height())));
    vertical->setPageStep(viewport()->height());
    vertical->setSingleStep(20);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, width - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

void HistoryCheckList::applyAnchor()
{
    if (!m_anchor) {
        return;
    }
    const std::int64_t target = m_offsets.top(m_indexOf.at(m_anchor->checkID)) + m_anchor->offset;
    verticalScrollBar()->setValue(static_cast<int>(std::min<std::int64_t>(target, INT32_MAX)));
}

void HistoryCheckList::takeAnchorFromScroll()
{
    const std::int64_t top = verticalScrollBar()->value();
    const int index = m_offsets.indexAt(top);
    if (index >= m_offsets.count()) {
        m_anchor.reset();
        m_scrollID.reset();
        return;
    }
    const Uuid& id = m_ids[static_cast<std::size_t>(index)];
    m_anchor = Anchor{id, top - m_offsets.top(index)};
    m_scrollID = id;
}

int HistoryCheckList::footerHeight(int width) const
{
    if (m_footerKind == HistoryFooter::none) {
        return 0;
    }
    const int height = m_footer->heightForWidth(width);
    return height > 0 ? height : m_footer->sizeHint().height();
}

CheckRow* HistoryCheckList::ensureRow(int index)
{
    const Uuid& id = m_ids[static_cast<std::size_t>(index)];
    if (CheckRow* row = rowFor(id)) {
        return row;
    }
    auto* row = new CheckRow(m_model.checks()[static_cast<std::size_t>(index)], m_model, viewport());
    row->installEventFilter(this);
    m_rows.emplace(id, row);
    return row;
}

} // namespace tavlen::ui
