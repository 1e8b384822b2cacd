#pragma once

#include <QGroupBox>

class QCheckBox;

namespace tavlen {
class AppUpdater;
}

namespace tavlen::ui {

class TavlenButton;

// "Updates": the installed version and, when this build updates itself, the automatic check and a check now.
class UpdateSettings : public QGroupBox
{
    Q_OBJECT

public:
    explicit UpdateSettings(AppUpdater& updater, QWidget* parent = nullptr);

private:
    void refresh();

    AppUpdater& m_updater;
    QCheckBox* m_automatic = nullptr;
    TavlenButton* m_check = nullptr;
};

} // namespace tavlen::ui
