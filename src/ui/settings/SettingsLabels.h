#pragma once

#include "TextStyles.h"

#include <QString>

#include <optional>

class QLabel;

namespace tavlen::ui {

// The label kinds the settings panes show: notes in the secondary colour, failures in red, both wrapping.
enum class SettingsLabelKind
{
    plain,
    secondary,
    error,
};

QLabel* makeSettingsLabel(const QString& identifier,
                          SettingsLabelKind kind,
                          std::optional<TextStyle> style = std::nullopt,
                          const QString& text = {});

// Shows the text, or hides the label when there is none.
void showOptionalText(QLabel* label, const std::optional<QString>& text);

} // namespace tavlen::ui
