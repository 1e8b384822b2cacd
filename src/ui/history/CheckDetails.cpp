#include "CheckDetails.h"

#include "CheckRowPresentation.h"
#include "CheckUsageGrid.h"
#include "HistoryViewText.h"
#include "KitColors.h"
#include "QtText.h"
#include "TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

QLabel* selectableText(const QString& value, QWidget* parent)
{
    auto* label = new QLabel(value, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setWordWrap(true);
    return label;
}

QLabel* secondaryNote(const QString& value, QWidget* parent)
{
    QLabel* label = selectableText(value, parent);
    QPalette secondary = label->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(label->palette()));
    label->setPalette(secondary);
    return label;
}

} // namespace

CheckDetails::CheckDetails(MonitorCheck check, QWidget* parent)
    : QWidget(parent)
    , m_check(std::move(check))
{
    setFont(textStyleFont(TextStyle::callout));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    if (m_check.failure) {
        QLabel* message = selectableText(toQString(m_check.failure->message()), this);
        message->setObjectName(QStringLiteral("check-failure-message"));
        column->addWidget(message);
    }

    auto* usage = new QVBoxLayout;
    usage->setSpacing(10);
    UsageSection section = usageSectionOf(m_check.usage);
    if (section.unavailable) {
        usage->addWidget(secondaryNote(text::usageUnavailable, this));
    } else {
        if (section.noModelRequests) {
            usage->addWidget(secondaryNote(text::noModelRequests, this));
        }
        if (!section.entries.empty()) {
            usage->addWidget(new CheckUsageGrid(std::move(section.entries), this));
        }
    }
    column->addLayout(usage);
}

} // namespace tavlen::ui
