#include "SettingsPane.h"

#include "SettingsText.h"

#include <QSettings>

namespace tavlen::ui {

const std::array<SettingsPane, 3>& allSettingsPanes()
{
    static constexpr std::array<SettingsPane, 3> panes{
        SettingsPane::general, SettingsPane::models, SettingsPane::apiKeys};
    return panes;
}

QString storedText(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::models:
        return QStringLiteral("models");
    case SettingsPane::apiKeys:
        return QStringLiteral("apiKeys");
    case SettingsPane::general:
        break;
    }
    return QStringLiteral("general");
}

SettingsPane settingsPaneFromStored(const QString& text)
{
    for (const SettingsPane pane : allSettingsPanes()) {
        if (storedText(pane) == text) {
            return pane;
        }
    }
    return SettingsPane::general;
}

SettingsPane readSettingsPane(const QSettings& defaults)
{
    const QVariant stored = defaults.value(QLatin1String(settingsPaneKey));
    return stored.typeId() == QMetaType::QString ? settingsPaneFromStored(stored.toString()) : SettingsPane::general;
}

void writeSettingsPane(QSettings& defaults, SettingsPane pane)
{
    defaults.setValue(QLatin1String(settingsPaneKey), storedText(pane));
}

QString tabLabel(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::models:
        return settings_text::modelsTab;
    case SettingsPane::apiKeys:
        return settings_text::apiKeysTab;
    case SettingsPane::general:
        break;
    }
    return settings_text::generalTab;
}

QString tabSymbol(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::models:
        return settings_text::modelsSymbol;
    case SettingsPane::apiKeys:
        return settings_text::apiKeysSymbol;
    case SettingsPane::general:
        break;
    }
    return settings_text::generalSymbol;
}

QSize settingsContentSize(SettingsPane pane)
{
    return {640, pane == SettingsPane::general ? 460 : 620};
}

} // namespace tavlen::ui
