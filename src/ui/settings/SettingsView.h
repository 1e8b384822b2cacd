#pragma once

#include "KeyedViewTask.h"
#include "SettingsPane.h"

#include <QWidget>

#include <vector>

class QSettings;
class QTabWidget;

namespace tavlen {
class AppUpdater;
class KeepAwakeSettings;
class LoginItemSettings;
class ModelSettings;
class ProviderKeySettings;
} // namespace tavlen

namespace tavlen::ui {

// The settings window: General, AI models and API keys in tabs, reopening on the pane last chosen and sized by
// it. Each time it comes on screen it reloads the configured models and rechecks the saved keys and the login
// item; when it goes away it drops typed keys, their errors and the model discovery's state.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    struct Parts
    {
        std::vector<ProviderKeySettings*> credentials; // OpenAI, Anthropic, Gemini
        ModelSettings& models;
        AppUpdater& updater;
        LoginItemSettings& loginItem;
        KeepAwakeSettings& keepAwake;
        QSettings& defaults; // where the chosen pane is kept
    };

    // Every part must outlive the view.
    explicit SettingsView(Parts parts, QWidget* parent = nullptr);
    ~SettingsView() override;

    SettingsPane selection() const { return m_selection; }

    void setSelection(SettingsPane pane);

    QTabWidget& tabs() const { return *m_tabs; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeGeneralPane();
    QWidget* makeKeysPane();

    Parts m_parts;
    SettingsPane m_selection;
    QTabWidget* m_tabs;
    ViewTaskRunner m_load;
};

} // namespace tavlen::ui
