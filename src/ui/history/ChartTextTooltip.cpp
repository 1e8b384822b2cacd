#include "ChartTextTooltip.h"

#include "ChartTextLayout.h"
#include "ChartsText.h"
#include "Formatting.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int margin = 12;
constexpr int contentWidth = 296;
constexpr int maximumContentHeight = 216;

QLabel* label(const QString& text, const QFont& font, QWidget* parent)
{
    auto* created = new QLabel(text, parent);
    created->setFont(font);
    return created;
}

} // namespace

ChartTextTooltip::ChartTextTooltip(const ChartTextInterval& interval, const ChartWindow&, QWidget* parent)
    : QWidget(parent)
{
    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const QFont caption = textStyleFont(TextStyle::caption);
    const std::optional<std::string> duration = interval.durationText();
    const auto addRow = [&](std::string_view name, const QString& value, const QString& identifier) {
        const int row = grid->rowCount();
        QLabel* title = label(toQString(name), caption, content);
        QPalette secondary = title->palette();
        secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
        title->setPalette(secondary);
        QLabel* shown = label(value, caption, content);
        shown->setObjectName(identifier);
        grid->addWidget(title, row, 0);
        grid->addWidget(shown, row, 1);
    };
    addRow(chartsText::start, formatMoment(interval.startMilliseconds), QStringLiteral("chart-text-start"));
    if (duration) {
        addRow(chartsText::end, formatMoment(interval.endMilliseconds), QStringLiteral("chart-text-end"));
        addRow(chartsText::duration, toQString(*duration), QStringLiteral("chart-text-duration"));
    }
    grid->setColumnStretch(1, 1);
    stack->addLayout(grid);

    auto* divider = new QFrame(content);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    stack->addWidget(divider);

    QLabel* text = label(interval.text.empty() ? toQString(chartsText::emptyText) : toQString(interval.text),
                         systemFont(15, QFont::DemiBold),
                         content);
    text->setObjectName(QStringLiteral("chart-text-content"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette accent = text->palette();
    accent.setColor(QPalette::WindowText, accentColor(palette()));
    text->setPalette(accent);
    stack->addWidget(text);

    content->setFixedWidth(contentWidth);
    const int height = content->heightForWidth(contentWidth) > 0 ? content->heightForWidth(contentWidth)
                                                                 : content->sizeHint().height();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(margin, margin, margin, margin);
    if (height <= maximumContentHeight) {
        content->setFixedHeight(height);
        outer->addWidget(content);
    } else {
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(content);
        scroll->setFixedSize(contentWidth, maximumContentHeight);
        content->setFixedHeight(height);
        outer->addWidget(scroll);
    }
}

QSize ChartTextTooltip::sizeHint() const
{
    return QWidget::sizeHint().boundedTo({contentWidth + 2 * margin, maximumContentHeight + 2 * margin});
}

QWidget* makeChartIssueTooltip(std::int64_t timeMilliseconds)
{
    auto* time = new QLabel(formatMoment(timeMilliseconds));
    time->setObjectName(QStringLiteral("chart-issue-time"));
    time->setFont(textStyleFont(TextStyle::caption));
    QFont font = time->font();
    font.setWeight(QFont::Medium);
    time->setFont(font);
    time->setTextInteractionFlags(Qt::TextSelectableByMouse);
    time->setContentsMargins(margin, margin, margin, margin);
    time->setWordWrap(false);
    return time;
}

} // namespace tavlen::ui
