#include "CheckReadingsColumn.h"

#include "Accessibility.h"
#include "HistoryViewText.h"
#include "KitColors.h"
#include "MonitorHistory.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "RetireWidget.h"
#include "StepsReadingResults.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

QLabel* secondaryLabel(const QString& value, QWidget* parent)
{
    auto* label = new QLabel(value, parent);
    label->setTextFormat(Qt::PlainText);
    QPalette secondary = label->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(label->palette()));
    label->setPalette(secondary);
    return label;
}

QWidget* row(QWidget* parent, int spacing)
{
    auto* widget = new QWidget(parent);
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return widget;
}

template <class Find> const auto* entryOf(const Find& map, const Uuid& id)
{
    const auto found = map.find(id);
    return found == map.end() ? nullptr : &found->second;
}

} // namespace

CheckReadingsColumn::CheckReadingsColumn(MonitorCheck check, MonitorHistory& model, QWidget* parent)
    : QWidget(parent)
    , m_check(std::move(check))
    , m_model(model)
    , m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_content = readingsColumnOf(m_check,
                                 entryOf(m_model.readings(), m_check.id),
                                 entryOf(m_model.readingErrors(), m_check.id),
                                 m_model.checksWithExpandedReadings().contains(m_check.id));
    rebuild();
}

void CheckReadingsColumn::refresh()
{
    ReadingsColumn content = readingsColumnOf(m_check,
                                              entryOf(m_model.readings(), m_check.id),
                                              entryOf(m_model.readingErrors(), m_check.id),
                                              m_model.checksWithExpandedReadings().contains(m_check.id));
    if (content == m_content) {
        return;
    }
    m_content = std::move(content);
    rebuild();
}

void CheckReadingsColumn::rebuild()
{
    retireWidget(m_shown);
    switch (m_content.kind) {
    case ReadingsColumn::Kind::failurePreview: {
        QLabel* preview = secondaryLabel(m_content.text, this);
        preview->setObjectName(QStringLiteral("check-failure-preview"));
        preview->setWordWrap(true);
        // At most two lines; a word longer than the column is clipped rather than widening the row.
        preview->setMinimumWidth(1);
        preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        preview->setMaximumHeight(preview->fontMetrics().lineSpacing() * 2);
        m_shown = preview;
        break;
    }
    case ReadingsColumn::Kind::readings:
        m_shown = makeReadings();
        break;
    case ReadingsColumn::Kind::noReadings:
        m_shown = secondaryLabel(m_content.text, this);
        break;
    case ReadingsColumn::Kind::loadFailed: {
        m_shown = row(this, 8);
        m_shown->layout()->addWidget(secondaryLabel(m_content.text, m_shown));
        auto* retry = new TavlenButton(
            text::retry, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact}, m_shown);
        retry->setObjectName(QStringLiteral("check-readings-retry"));
        connect(retry, &QAbstractButton::clicked, this, [model = &m_model, id = m_check.id] {
            TaskHandle<void>([model, id](std::stop_token) { return model->loadReadings(id); });
        });
        m_shown->layout()->addWidget(retry);
        static_cast<QHBoxLayout*>(m_shown->layout())->addStretch(1);
        break;
    }
    case ReadingsColumn::Kind::loading:
        m_shown = row(this, 6);
        m_shown->layout()->addWidget(new ProgressSpinner(ProgressSpinner::Size::small, m_shown));
        m_shown->layout()->addWidget(new QLabel(m_content.text, m_shown));
        static_cast<QHBoxLayout*>(m_shown->layout())->addStretch(1);
        break;
    }
    m_layout->addWidget(m_shown);
}

QWidget* CheckReadingsColumn::makeReadings()
{
    auto* readings = new QWidget(this);
    auto* stack = new QVBoxLayout(readings);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    auto* pills = new StepsReadingResults(false, readings);
    pills->setExecution(StepsExecutionState::succeeded(m_content.list.shown), std::nullopt);
    stack->addWidget(pills);
    if (m_content.list.toggleTitle) {
        auto* toggle = new TavlenButton(*m_content.list.toggleTitle,
                                        {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact},
                                        readings);
        toggle->setObjectName(itemIdentifier(QStringLiteral("expand-readings-"), m_check.id));
        toggle->setAccessibleDescription(m_content.list.toggleValue);
        connect(toggle, &QAbstractButton::clicked, this, [this] { m_model.toggleAllReadings(m_check.id); });
        stack->addWidget(toggle, 0, Qt::AlignLeft);
    }
    return readings;
}

} // namespace tavlen::ui
