#include "CheckRow.h"

#include "Accessibility.h"
#include "CheckDetails.h"
#include "CheckReadingsColumn.h"
#include "CheckRowPresentation.h"
#include "ExecutionDurationLabel.h"
#include "Formatting.h"
#include "HistoryViewText.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorHistory.h"
#include "QtText.h"
#include "RetireWidget.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int expandColumnWidth = 24;
constexpr int startColumnWidth = 136;
constexpr int outcomeColumnWidth = 106;

QVBoxLayout* stack(QWidget* widget, int spacing)
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QColor tintColor(OutcomeTint tint, const QPalette& palette)
{
    switch (tint) {
    case OutcomeTint::green:
        return kitColor(KitColor::green, palette);
    case OutcomeTint::red:
        return kitColor(KitColor::red, palette);
    case OutcomeTint::secondary:
        break;
    }
    return secondaryColor(palette);
}

// A symbol before a text, both in one colour and font, never wrapped.
QWidget*
symbolLabel(const QString& symbol, const QString& title, const QColor& color, const QFont& font, QWidget* parent)
{
    auto* widget = new QWidget(parent);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* icon = new QLabel(widget);
    const int side = QFontMetrics(font).ascent();
    icon->setPixmap(kitIconPixmap(symbol, color, QSize(side, side), widget->devicePixelRatioF()));
    auto* text = new QLabel(title, widget);
    text->setTextFormat(Qt::PlainText);
    text->setFont(font);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, color);
    text->setPalette(palette);
    layout->addWidget(icon);
    layout->addWidget(text);
    layout->addStretch(1);
    widget->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return widget;
}

// Qt 6.4 cannot ask a font for tabular digits; digits that must line up take the fixed-pitch font of the size.
QFont withEvenDigits(const QFont& base)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (base.pixelSize() > 0) {
        font.setPixelSize(base.pixelSize());
    } else {
        font.setPointSizeF(base.pointSizeF());
    }
    return font;
}

QWidget* column(QWidget* inner, int width, QWidget* parent)
{
    auto* frame = new QWidget(parent);
    frame->setFixedWidth(width);
    stack(frame, 0)->addWidget(inner, 0, Qt::AlignLeft | Qt::AlignTop);
    return frame;
}

} // namespace

CheckRow::CheckRow(MonitorCheck check, MonitorHistory& model, QWidget* parent)
    : QWidget(parent)
    , m_check(std::move(check))
    , m_model(model)
    , m_column(stack(this, 0))
    , m_readingsTask(this, [model = &m_model, id = m_check.id](std::string, std::stop_token stop) {
        return model->loadReadings(id, std::move(stop));
    })
{
    setIdentifier(this, itemIdentifier(QStringLiteral("check-row-"), m_check.id));
    m_column->addWidget(makeHeaderLine());
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    m_column->addWidget(divider);

    const auto refreshReadings = [this] { m_readings->refresh(); };
    connect(&m_model, &MonitorHistory::readingsChanged, this, refreshReadings);
    connect(&m_model, &MonitorHistory::readingErrorsChanged, this, refreshReadings);
    connect(&m_model, &MonitorHistory::checksWithExpandedReadingsChanged, this, refreshReadings);
    connect(&m_model, &MonitorHistory::expandedIDChanged, this, &CheckRow::refreshExpanded);
    connect(&m_model, &MonitorHistory::deletingIDsChanged, this, &CheckRow::refreshDeletion);
    connect(&m_model, &MonitorHistory::deletionErrorsChanged, this, &CheckRow::refreshDeletion);
    refreshExpanded();
    m_readingsTask.setKey(std::string(textOf(m_check.outcome())));
}

void CheckRow::paintEvent(QPaintEvent*)
{
    if (isExpanded()) {
        QPainter painter(this);
        painter.fillRect(rect(), withOpacity(primaryColor(palette()), 0.025));
    }
}

QWidget* CheckRow::makeHeaderLine()
{
    auto* line = new QWidget(this);
    auto* columns = new QHBoxLayout(line);
    columns->setContentsMargins(12, 12, 12, 12);
    columns->setSpacing(12);

    m_expand = new TavlenButton({TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact}, line);
    m_expand->setObjectName(itemIdentifier(QStringLiteral("expand-check-"), m_check.id));
    connect(m_expand, &QAbstractButton::clicked, this, [this] { m_model.toggleExpanded(m_check.id); });
    columns->addWidget(column(m_expand, expandColumnWidth, line), 0, Qt::AlignTop);

    auto* start = new QWidget(line);
    QVBoxLayout* startLines = stack(start, 3);
    const QString date = formatDateTime(m_check.startedAtMilliseconds, DateStyle::abbreviated, TimeStyle::none);
    const QString time = formatDateTime(m_check.startedAtMilliseconds, DateStyle::none, TimeStyle::standard);
    startLines->addWidget(new QLabel(date, start));
    auto* timeLabel = new QLabel(time, start);
    timeLabel->setFont(withEvenDigits(timeLabel->font()));
    QPalette secondary = timeLabel->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    timeLabel->setPalette(secondary);
    startLines->addWidget(timeLabel);
    start->setToolTip(formatDateTime(m_check.startedAtMilliseconds, DateStyle::complete, TimeStyle::standard));
    setAccessibility(start, date + QLatin1Char(' ') + time);
    columns->addWidget(column(start, startColumnWidth, line), 0, Qt::AlignTop);

    const CheckOutcomePresentation outcome = presentationOf(m_check.outcome());
    auto* outcomeStack = new QWidget(line);
    QVBoxLayout* outcomeLines = stack(outcomeStack, 3);
    QWidget* outcomeLabel = symbolLabel(outcome.symbolName,
                                        outcome.label,
                                        tintColor(outcome.tint, palette()),
                                        textStyleFont(TextStyle::callout),
                                        outcomeStack);
    outcomeLabel->setObjectName(QStringLiteral("check-outcome"));
    outcomeLines->addWidget(outcomeLabel);
    const std::chrono::milliseconds duration(m_check.completedAtMilliseconds - m_check.startedAtMilliseconds);
    outcomeLines->addWidget(new ExecutionDurationLabel(duration, textStyleFont(TextStyle::callout), outcomeStack));
    columns->addWidget(column(outcomeStack, outcomeColumnWidth, line), 0, Qt::AlignTop);

    m_readings = new CheckReadingsColumn(m_check, m_model, line);
    columns->addWidget(m_readings, 1, Qt::AlignTop);
    return line;
}

QWidget* CheckRow::makeExpandedArea()
{
    auto* area = new QWidget(this);
    QVBoxLayout* lines = stack(area, 14);
    lines->setContentsMargins(48, 0, 20, 16);

    auto* deletion = new QWidget(area);
    auto* deletionLine = new QHBoxLayout(deletion);
    deletionLine->setContentsMargins(0, 0, 0, 0);
    m_deletionError = new QLabel(deletion);
    m_deletionError->setObjectName(QStringLiteral("check-deletion-error"));
    m_deletionError->setFont(textStyleFont(TextStyle::callout));
    QPalette red = m_deletionError->palette();
    red.setColor(QPalette::WindowText, kitColor(KitColor::red, palette()));
    m_deletionError->setPalette(red);
    deletionLine->addWidget(m_deletionError);
    deletionLine->addStretch(1);
    m_delete = new TavlenButton({TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}, deletion);
    m_delete->setObjectName(itemIdentifier(QStringLiteral("delete-check-"), m_check.id));
    m_delete->setRole(ButtonRole::destructive);
    m_delete->setSymbolName(QStringLiteral("trash"));
    connect(m_delete, &QAbstractButton::clicked, this, [this] { m_model.setDeletionCandidate(m_check); });
    deletionLine->addWidget(m_delete);
    lines->addWidget(deletion);
    lines->addWidget(new CheckDetails(m_check, area));
    return area;
}

void CheckRow::refreshExpanded()
{
    const bool expanded = m_model.expandedID() == m_check.id;
    const ExpandControlTexts texts = expandControlTexts(expanded, m_check.startedAtMilliseconds);
    m_expand->setSymbolName(texts.symbolName);
    // Qt has no accessible value for a push button: the value is its description, the help its tooltip.
    setHelp(m_expand, texts.help, texts.label);
    m_expand->setAccessibleDescription(texts.value);
    if (expanded == isExpanded()) {
        return;
    }
    if (expanded) {
        m_expandedArea = makeExpandedArea();
        m_column->insertWidget(1, m_expandedArea);
        refreshDeletion();
    } else {
        retireWidget(m_expandedArea);
        m_expandedArea = nullptr;
        m_deletionError = nullptr;
        m_delete = nullptr;
    }
    update();
}

void CheckRow::refreshDeletion()
{
    if (!m_expandedArea) {
        return;
    }
    const auto error = m_model.deletionErrors().find(m_check.id);
    const bool hasError = error != m_model.deletionErrors().end();
    m_deletionError->setText(hasError ? toQString(error->second) : QString());
    m_deletionError->setVisible(hasError);
    const bool deleting = m_model.deletingIDs().contains(m_check.id);
    m_delete->setText(deleting ? text::deletingCheck : text::deleteCheck);
    m_delete->setEnabled(!deleting);
}

} // namespace tavlen::ui
