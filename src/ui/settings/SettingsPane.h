#pragma once

#include <QSize>
#include <QString>

#include <array>

class QSettings;

namespace tavlen::ui {

// The settings window's panes, in tab order. The chosen one is kept in the user defaults.
enum class SettingsPane
{
    general,
    models,
    apiKeys,
};

inline constexpr const char* settingsPaneKey = "selectedSettingsPane";

const std::array<SettingsPane, 3>& allSettingsPanes();

// "general", "models", "apiKeys".
QString storedText(SettingsPane pane);
// A missing or unknown text reads as general.
SettingsPane settingsPaneFromStored(const QString& text);

SettingsPane readSettingsPane(const QSettings& defaults);
void writeSettingsPane(QSettings& defaults, SettingsPane pane);

QString tabLabel(SettingsPane pane);
QString tabSymbol(SettingsPane pane);

// 640 wide; 460 high for General, 620 for the others.
QSize settingsContentSize(SettingsPane pane);

} // namespace tavlen::ui
