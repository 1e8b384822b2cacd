#include "StepsReadSettings.h"

#include "StepsChangeRule.h"

namespace tavlen {

StepsReadSettings::StepsReadSettings(std::optional<Uuid> modelID)
    : m_modelID(modelID)
    , m_fields{ReadingField::makeEmpty()}
{}

void StepsReadSettings::reportEdit() const
{
    if (std::function<void()> onEdit = m_onEdit) {
        onEdit();
    }
}

void StepsReadSettings::setModelID(std::optional<Uuid> modelID)
{
    if (storeObserved(m_modelID, modelID)) {
        Q_EMIT modelIDChanged();
        reportEdit();
    }
}

void StepsReadSettings::setTimeoutText(std::string text)
{
    if (storeObservedText(m_timeoutText, std::move(text))) {
        Q_EMIT timeoutTextChanged();
        reportEdit();
    }
}

void StepsReadSettings::setFields(std::vector<ReadingField> fields)
{
    if (storeObserved(m_fields, std::move(fields), readingFieldsEqual)) {
        Q_EMIT fieldsChanged();
        reportEdit();
    }
}

} // namespace tavlen
