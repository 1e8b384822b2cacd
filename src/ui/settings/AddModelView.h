#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace tavlen {
class ModelSettings;
}

namespace tavlen::ui {

class ProgressSpinner;
class TavlenButton;

// The Add model sheet: a provider, its models as discovered (with the saved key, or from the Ollama server typed
// here), one picked and added. Window-modal; it cannot be dismissed while the model is being saved. The
// discovery starts afresh each time the sheet shows and is reset when it goes away.
class AddModelView : public QDialog
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{580, 420};

    // The settings must outlive the sheet.
    explicit AddModelView(ModelSettings& settings, QWidget* parent = nullptr);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    void rebuildModels();
    void add();

    ModelSettings& m_settings;
    QWidget* m_form;
    QComboBox* m_provider;
    QGroupBox* m_modelsSection;
    QWidget* m_hostRow;
    QLineEdit* m_host;
    ProgressSpinner* m_connecting;
    QLabel* m_missingKey;
    QLabel* m_status;
    TavlenButton* m_connect;
    QLabel* m_discoveryError;
    QWidget* m_modelRow;
    QComboBox* m_model;
    QLabel* m_settingsError;
    ProgressSpinner* m_saving;
    TavlenButton* m_cancel;
    TavlenButton* m_add;
};

} // namespace tavlen::ui
