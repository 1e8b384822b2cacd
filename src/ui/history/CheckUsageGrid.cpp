#include "CheckUsageGrid.h"

#include "Accessibility.h"
#include "CheckUsageText.h"
#include "Formatting.h"
#include "HistoryViewText.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int columnCount = 7;
constexpr int modelColumnWidth = 160;

QLabel* cell(const QString& value, QWidget* parent, bool medium = false)
{
    auto* label = new QLabel(value, parent);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    if (medium) {
        QFont font = label->font();
        font.setWeight(QFont::Medium);
        label->setFont(font);
    }
    return label;
}

// A number with digits of one width, at the trailing edge, spoken with its column's name.
QLabel* usageCell(const QString& value, const QString& column, QWidget* parent, bool medium)
{
    QLabel* label = cell(value, parent, medium);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(label->font().pointSizeF());
    font.setWeight(label->font().weight());
    label->setFont(font);
    label->setAccessibleName(usageCellLabel(column, value));
    return label;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

} // namespace

CheckUsageGrid::CheckUsageGrid(std::vector<MonitorCheckUsage::Entry> entries, QWidget* parent)
    : QScrollArea(parent)
    , m_entries(std::move(entries))
{
    setIdentifier(this, QStringLiteral("check-usage-grid"));
    setAccessibleName(text::stepModelStatistics);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);

    // The grid sits on whatever its parent paints (an expanded row's tint), not on a field's base colour.
    viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 4);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const QString headers[columnCount] = {
        text::step, text::model, text::loading, text::requests, text::inference, text::inputTokens, text::outputTokens};
    QPalette secondary = palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    for (int column = 0; column < columnCount; ++column) {
        QLabel* header = cell(headers[column], content, true);
        header->setPalette(secondary);
        grid->addWidget(header, 0, column, column >= 2 ? Qt::AlignRight : Qt::AlignLeft);
    }
    int row = 1;
    grid->addWidget(divider(content), row++, 0, 1, columnCount);

    std::vector<StepsModelUsage> usages;
    for (const MonitorCheckUsage::Entry& entry : m_entries) {
        const StepsModelUsage& usage = entry.usage;
        usages.push_back(usage);
        grid->addWidget(cell(stepText(entry.stepNumber), content), row, 0, Qt::AlignLeft | Qt::AlignTop);

        auto* model = new QWidget(content);
        auto* modelStack = new QVBoxLayout(model);
        modelStack->setContentsMargins(0, 0, 0, 0);
        modelStack->setSpacing(3);
        QLabel* identifier = cell(toQString(usage.model), model);
        identifier->setWordWrap(true);
        // At most two lines.
        identifier->setMaximumHeight(identifier->fontMetrics().lineSpacing() * 2);
        QLabel* provider = cell(providerDisplayName(usage.provider), model);
        provider->setFont(textStyleFont(TextStyle::caption));
        provider->setPalette(secondary);
        modelStack->addWidget(identifier);
        modelStack->addWidget(provider);
        model->setFixedWidth(modelColumnWidth);
        model->setToolTip(modelDetailsText(usage));
        grid->addWidget(model, row, 1, Qt::AlignLeft | Qt::AlignTop);

        const std::pair<QString, QString> cells[] = {
            {secondsText(usage.modelLoadSeconds), text::loading},
            {formatInteger(usage.requests), text::requests},
            {secondsText(usage.inferenceSeconds), text::inference},
            {tokensText(usage, TokenKind::input), text::inputTokens},
            {tokensText(usage, TokenKind::output), text::outputTokens},
        };
        for (int column = 2; const auto& [value, name] : cells) {
            grid->addWidget(usageCell(value, name, content, false), row, column++, Qt::AlignRight | Qt::AlignTop);
        }
        ++row;
    }
    grid->addWidget(divider(content), row++, 0, 1, columnCount);

    grid->addWidget(cell(text::total, content, true), row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(cell(missingValueText(), content, true), row, 1, Qt::AlignLeft | Qt::AlignTop);
    const std::pair<QString, QString> totals[] = {
        {totalSecondsText(usages, SecondsField::modelLoad), text::totalLoading},
        {totalRequestsText(usages), text::totalRequests},
        {totalSecondsText(usages, SecondsField::inference), text::totalInference},
        {totalTokensText(usages, TokenKind::input), text::totalInputTokens},
        {totalTokensText(usages, TokenKind::output), text::totalOutputTokens},
    };
    for (int column = 2; const auto& [value, name] : totals) {
        QLabel* total = usageCell(value, name, content, true);
        setIdentifier(total,
                      QStringLiteral("check-usage-") + name.toLower().replace(QLatin1Char(' '), QLatin1Char('-')));
        grid->addWidget(total, row, column++, Qt::AlignRight | Qt::AlignTop);
    }
    setWidget(content);
    content->setAutoFillBackground(false); // setWidget turns it on
    setMinimumHeight(content->sizeHint().height() + 16);
}

} // namespace tavlen::ui
