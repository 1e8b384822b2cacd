#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tavlen {
class StepsOpenPageSettings;
}

namespace tavlen::ui {

// The emulated device viewport of an Open page step: width, height and scale factor texts, the mobile switch,
// and, while messages are not shown, a red hint for wrong dimensions and one for a wrong scale factor.
class StepsViewportFields : public QWidget
{
    Q_OBJECT

public:
    // The settings must outlive the fields.
    StepsViewportFields(StepsOpenPageSettings& settings,
                        const StepsFieldEnvironment& environment,
                        QWidget* parent = nullptr);

    QLineEdit* widthEdit() const { return m_width; }

    QLineEdit* heightEdit() const { return m_height; }

    QLineEdit* scaleEdit() const { return m_scale; }

    QCheckBox* mobileToggle() const { return m_mobile; }

    QLabel* dimensionsHint() const { return m_dimensionsHint; }

    QLabel* scaleHint() const { return m_scaleHint; }

private:
    void refreshHints();

    StepsOpenPageSettings& m_settings;
    StepsFieldEnvironment m_environment;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QLineEdit* m_scale;
    QCheckBox* m_mobile;
    QLabel* m_dimensionsHint;
    QLabel* m_scaleHint;
};

} // namespace tavlen::ui
