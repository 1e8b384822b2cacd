#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace tavlen {
class ModelSettings;
}

namespace tavlen::ui {

class AddModelView;
class TavlenButton;

// The AI models pane: the default model for new Read steps, the configured models with their removal, the last
// failure, and "Add model", which opens the Add model sheet. Every change goes through the model settings.
class AIModelSettingsView : public QWidget
{
    Q_OBJECT

public:
    // The settings must outlive the pane.
    explicit AIModelSettingsView(ModelSettings& settings, QWidget* parent = nullptr);

    // The open sheet, or null.
    AddModelView* addModelSheet() const;

private:
    void refresh();
    void rebuildModels();
    void openAddModel();

    ModelSettings& m_settings;
    QGroupBox* m_defaultSection;
    QComboBox* m_defaultModel;
    QWidget* m_loading;
    QWidget* m_rows;
    QVBoxLayout* m_rowsLayout;
    QWidget* m_empty;
    QWidget* m_errorSection;
    QLabel* m_error;
    TavlenButton* m_retry;
    TavlenButton* m_add;
    QPointer<AddModelView> m_sheet;
};

} // namespace tavlen::ui
