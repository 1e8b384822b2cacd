#include "StepsConfigurationForm.h"

#include "KitColors.h"
#include "TextStyles.h"

#include <QLabel>

namespace tavlen::ui {

QLabel* makeFormLabel(const QString& text, bool secondary, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (secondary) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, secondaryColor(parent->palette()));
        label->setPalette(palette);
    }
    return label;
}

QLabel* makeFormHint(const QString& text, bool red, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(textStyleFont(TextStyle::caption));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     red ? kitColor(KitColor::red, parent->palette()) : secondaryColor(parent->palette()));
    label->setPalette(palette);
    return label;
}

bool isShowingValidation(const StepsFieldEnvironment& environment)
{
    return environment.validation && environment.validation->session &&
           environment.validation->session->showsValidation();
}

} // namespace tavlen::ui
