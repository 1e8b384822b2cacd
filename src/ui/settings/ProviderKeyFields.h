#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;

namespace tavlen {
class ProviderKeySettings;
}

namespace tavlen::ui {

class ProgressSpinner;
class TavlenButton;

// One cloud provider's API key: whether one is saved, a masked field to type a new one, save or replace it,
// remove it, what is running and what failed. The saved key never comes back into the field.
class ProviderKeyFields : public QGroupBox
{
    Q_OBJECT

public:
    explicit ProviderKeyFields(ProviderKeySettings& settings, QWidget* parent = nullptr);

private:
    void refresh();
    void save();

    ProviderKeySettings& m_settings;
    QWidget* m_status;
    QLabel* m_statusText;
    QLineEdit* m_field;
    TavlenButton* m_save;
    TavlenButton* m_remove;
    ProgressSpinner* m_spinner;
    QLabel* m_activity;
    QLabel* m_error;
    TavlenButton* m_retry;
};

} // namespace tavlen::ui
