#include "WorkspaceBanner.h"

#include "TavlenButton.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tavlen::ui {

WorkspaceBanner::WorkspaceBanner(const QString& buttonTitle, std::function<void()> action, QWidget* parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
    , m_button(
          new TavlenButton(buttonTitle, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    m_text->setFont(textStyleFont(TextStyle::callout));
    m_text->setWordWrap(true);
    m_button->setFont(textStyleFont(TextStyle::callout));
    layout->addWidget(m_text, 1);
    layout->addWidget(m_button, 0, Qt::AlignVCenter);
    connect(m_button, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    setVisible(false);
}

QString WorkspaceBanner::text() const
{
    return m_text->text();
}

void WorkspaceBanner::present(const std::optional<QString>& text)
{
    m_text->setText(text.value_or(QString()));
    setVisible(text.has_value());
}

} // namespace tavlen::ui
