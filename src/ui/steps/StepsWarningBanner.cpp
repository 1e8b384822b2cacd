#include "StepsWarningBanner.h"

#include "Icons.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

StepsWarningBanner::StepsWarningBanner(QWidget* parent)
    : QWidget(parent)
    , m_message(new QLabel(this))
    , m_button(new TavlenButton(
          TavlenButtonStyle{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular}, this))
{
    setFont(textStyleFont(TextStyle::callout));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    auto* label = new QHBoxLayout;
    label->setSpacing(6);
    auto* symbol = new QLabel(this);
    const int side = QFontMetrics(font()).height();
    symbol->setPixmap(kitIcon(QStringLiteral("exclamationmark.triangle")).pixmap(QSize(side, side)));
    label->addWidget(symbol, 0, Qt::AlignTop);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->addWidget(m_message, 1);
    layout->addLayout(label);
    layout->addWidget(m_button, 0, Qt::AlignLeft);
}

QString StepsWarningBanner::message() const
{
    return m_message->text();
}

void StepsWarningBanner::setMessage(const QString& message)
{
    m_message->setText(message);
}

} // namespace tavlen::ui
