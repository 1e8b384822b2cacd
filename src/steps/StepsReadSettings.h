#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ReadingField.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// The observable settings of a Read step. Every change of a field calls onEdit. Main thread only.
class StepsReadSettings : public QObject
{
    Q_OBJECT

public:
    // Time-out text "60", one empty text field, the given model; no callback, so creating it reports no edit.
    explicit StepsReadSettings(std::optional<Uuid> modelID);

    const std::function<void()>& onEdit() const { return m_onEdit; }

    void setOnEdit(std::function<void()> onEdit) { m_onEdit = std::move(onEdit); }

    // The configured model that reads the region; none while no model is selected.
    const std::optional<Uuid>& modelID() const { return m_modelID; }

    // The read time-out in whole seconds, as typed.
    const std::string& timeoutText() const { return m_timeoutText; }

    const std::vector<ReadingField>& fields() const { return m_fields; }

    void setModelID(std::optional<Uuid> modelID);
    void setTimeoutText(std::string text);
    void setFields(std::vector<ReadingField> fields);

Q_SIGNALS:
    void modelIDChanged();
    void timeoutTextChanged();
    void fieldsChanged();

private:
    void reportEdit() const;

    std::optional<Uuid> m_modelID;
    std::string m_timeoutText = "60";
    std::function<void()> m_onEdit;
    std::vector<ReadingField> m_fields;
};

} // namespace tavlen
