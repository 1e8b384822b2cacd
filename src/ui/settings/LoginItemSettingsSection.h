#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;

namespace tavlen {
class LoginItemSettings;
}

namespace tavlen::ui {

class TavlenButton;

// "Startup": whether Tavlen starts at login, as the system reports it, with its note and failure.
class LoginItemSettingsSection : public QGroupBox
{
    Q_OBJECT

public:
    explicit LoginItemSettingsSection(LoginItemSettings& settings, QWidget* parent = nullptr);

private:
    void refresh();

    LoginItemSettings& m_settings;
    QCheckBox* m_toggle;
    QLabel* m_statusNote;
    TavlenButton* m_openSettings;
    QLabel* m_error;
};

} // namespace tavlen::ui
