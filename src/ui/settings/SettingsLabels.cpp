#include "SettingsLabels.h"

#include "KitColors.h"

#include <QLabel>

namespace tavlen::ui {

QLabel* makeSettingsLabel(const QString& identifier,
                          SettingsLabelKind kind,
                          std::optional<TextStyle> style,
                          const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(identifier);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (style) {
        label->setFont(textStyleFont(*style));
    }
    if (kind != SettingsLabelKind::plain) {
        QPalette colors = label->palette();
        colors.setColor(QPalette::WindowText,
                        kind == SettingsLabelKind::error ? kitColor(KitColor::red, colors) : secondaryColor(colors));
        label->setPalette(colors);
    }
    return label;
}

void showOptionalText(QLabel* label, const std::optional<QString>& text)
{
    label->setText(text.value_or(QString()));
    label->setVisible(text.has_value());
}

} // namespace tavlen::ui
