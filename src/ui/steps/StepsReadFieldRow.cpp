#include "StepsReadFieldRow.h"

#include "QtText.h"
#include "StepsEditorText.h"
#include "StepsFieldWrapper.h"
#include "StepsInstructionField.h"
#include "TavlenButton.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tavlen::ui {

StepsReadFieldRow::StepsReadFieldRow(const ReadingField& field,
                                     const StepsFieldEnvironment& environment,
                                     QWidget* parent)
    : QWidget(parent)
    , m_field(field)
    , m_divider(new QFrame(this))
    , m_name(new QLineEdit)
    , m_type(new QComboBox(this))
    , m_instruction(new StepsInstructionField(
          text::readingInstructionsTitle(), false, StepsField::Kind::fieldInstruction(field.id), environment, this))
    , m_remove(
          new TavlenButton(TavlenButtonStyle{TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact}, this))
{
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Sunken);
    m_name->setObjectName(QStringLiteral("readFieldName"));
    m_name->setPlaceholderText(text::fieldNamePlaceholder());
    m_name->setAccessibleName(text::fieldNamePlaceholder());
    auto* name = new StepsFieldWrapper(m_name, StepsField::Kind::fieldName(field.id), environment, this);
    m_type->setObjectName(QStringLiteral("readFieldType"));
    m_type->setAccessibleName(text::fieldTypeLabel());
    for (ReadingFieldType type : allReadingFieldTypes) {
        m_type->addItem(toQString(displayText(type)));
    }
    m_instruction->setObjectName(QStringLiteral("readFieldInstruction"));
    m_remove->setObjectName(QStringLiteral("removeReadField"));
    m_remove->setSymbolName(QStringLiteral("minus.circle"));
    m_remove->setRole(ButtonRole::destructive);
    m_remove->setToolTip(text::removeField());
    m_remove->setAccessibleName(text::removeField());

    auto* nameLine = new QHBoxLayout;
    nameLine->addWidget(name, 1, Qt::AlignTop);
    nameLine->addWidget(m_type, 0, Qt::AlignTop);
    auto* inputs = new QVBoxLayout;
    inputs->setSpacing(8);
    inputs->addLayout(nameLine);
    inputs->addWidget(m_instruction);
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    line->addLayout(inputs, 1);
    line->addWidget(m_remove, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addSpacing(4);
    column->addWidget(m_divider);
    column->addSpacing(4);
    column->addLayout(line);
    setFirst(false);
    setField(field);

    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_field.name = fromQString(text);
        Q_EMIT edited(m_field);
    });
    connect(m_type, &QComboBox::activated, this, [this](int index) {
        m_field.type = allReadingFieldTypes[std::size_t(index)];
        Q_EMIT edited(m_field);
    });
    connect(m_instruction, &StepsInstructionField::textEdited, this, [this](const QString& text) {
        m_field.instruction = fromQString(text);
        Q_EMIT edited(m_field);
    });
    connect(m_remove, &TavlenButton::clicked, this, [this] { Q_EMIT removeRequested(m_field.id); });
}

void StepsReadFieldRow::setField(const ReadingField& field)
{
    m_field = field;
    const QString name = toQString(field.name);
    if (m_name->text() != name) {
        m_name->setText(name);
    }
    m_type->setCurrentIndex(field.type == ReadingFieldType::text ? 0 : 1);
    m_instruction->setText(toQString(field.instruction));
}

void StepsReadFieldRow::setFirst(bool isFirst)
{
    // The divider with 4 points above and below it, only between rows.
    m_divider->setVisible(!isFirst);
    auto* column = static_cast<QVBoxLayout*>(layout());
    for (int index : {0, 2}) {
        column->itemAt(index)->spacerItem()->changeSize(0, isFirst ? 0 : 4, QSizePolicy::Minimum, QSizePolicy::Fixed);
    }
    column->invalidate();
}

void StepsReadFieldRow::setRemovable(bool isRemovable)
{
    m_remove->setEnabled(isRemovable);
}

} // namespace tavlen::ui
