#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavlen {
class ModelSettings;
class StepsReadSettings;
} // namespace tavlen

namespace tavlen::ui {

// The configuration of a Read step: the AI model chosen from the configured models (or none), the read timeout,
// and "Manage AI models…", which calls the given action.
class StepsReadConfiguration : public QWidget
{
    Q_OBJECT

public:
    // The settings (and the model settings, when given) must outlive the form.
    StepsReadConfiguration(StepsReadSettings& settings,
                           ModelSettings* models,
                           std::function<void()> manageModels,
                           const StepsFieldEnvironment& environment,
                           QWidget* parent = nullptr);

    QComboBox* modelPicker() const { return m_model; }

    QLineEdit* timeoutEdit() const { return m_timeout; }

    QPushButton* manageModelsButton() const { return m_manage; }

private:
    void refreshModels();

    StepsReadSettings& m_settings;
    ModelSettings* m_models;
    QComboBox* m_model;
    QLineEdit* m_timeout;
    QPushButton* m_manage;
};

} // namespace tavlen::ui
