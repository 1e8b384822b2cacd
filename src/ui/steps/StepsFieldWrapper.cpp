#include "StepsFieldWrapper.h"

#include "KitColors.h"
#include "QtText.h"
#include "StepsFieldMessage.h"
#include "StepsFocusRegistry.h"
#include "TextStyles.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

StepsFieldWrapper::StepsFieldWrapper(QWidget* control,
                                     std::optional<StepsField::Kind> kind,
                                     const StepsFieldEnvironment& environment,
                                     QWidget* parent)
    : QWidget(parent)
    , m_control(control)
    , m_environment(environment)
    , m_message(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(m_control);
    layout->addWidget(m_message);
    m_message->setObjectName(QStringLiteral("stepsFieldMessage"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setFont(textStyleFont(TextStyle::caption));
    m_message->hide();
    // As tall as the control and its message, never stretched: the message stays 3 points under the control.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    applyColors();
    if (!kind || !environment.step || !environment.validation || !environment.validation->session) {
        return;
    }
    m_field = StepsField{environment.step->id(), *kind};
    if (StepsFocusRegistry* focus = environment.validation->focus) {
        focus->registerControl(*m_field, m_control);
    }
    connect(environment.validation->session.get(),
            &StepsSession::showsValidationChanged,
            this,
            &StepsFieldWrapper::refresh);
    connectStepEdits(*environment.step, this, [this] { refresh(); });
    refresh();
}

QString StepsFieldWrapper::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void StepsFieldWrapper::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        applyColors();
    }
    QWidget::changeEvent(event);
}

void StepsFieldWrapper::refresh()
{
    const std::optional<std::string> message =
        fieldMessage(m_environment.validation->session->showsValidation(), *m_environment.step, m_field->kind);
    m_message->setText(message ? toQString(*message) : QString());
    m_message->setVisible(message.has_value());
}

void StepsFieldWrapper::applyColors()
{
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, kitColor(KitColor::red, this->palette()));
    m_message->setPalette(palette);
}

} // namespace tavlen::ui
