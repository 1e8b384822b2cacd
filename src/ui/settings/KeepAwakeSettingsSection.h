#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;

namespace tavlen {
class KeepAwakeSettings;
}

namespace tavlen::ui {

// "Sleep": whether Tavlen keeps the computer from sleeping on its own, with the failure of the last change.
class KeepAwakeSettingsSection : public QGroupBox
{
    Q_OBJECT

public:
    explicit KeepAwakeSettingsSection(KeepAwakeSettings& settings, QWidget* parent = nullptr);

private:
    void refresh();

    KeepAwakeSettings& m_settings;
    QCheckBox* m_toggle;
    QLabel* m_error;
};

} // namespace tavlen::ui
