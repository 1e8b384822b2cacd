#include "StepsReadFields.h"

#include "ReadFieldEdits.h"
#include "StepsEditorText.h"
#include "StepsReadFieldRow.h"
#include "StepsReadSettings.h"
#include "TavlenButton.h"

#include <QVBoxLayout>

#include <algorithm>

namespace tavlen::ui {

StepsReadFields::StepsReadFields(StepsReadSettings& settings, const StepsFieldEnvironment& environment, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_environment(environment)
    , m_column(new QVBoxLayout(this))
    , m_add(new TavlenButton(text::addField(),
                             TavlenButtonStyle{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact},
                             this))
{
    setObjectName(QStringLiteral("stepsReadFields"));
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(12);
    m_add->setObjectName(QStringLiteral("addReadField"));
    m_add->setSymbolName(QStringLiteral("plus"));
    m_column->addWidget(m_add, 0, Qt::AlignLeft);
    connect(m_add, &TavlenButton::clicked, this, [this] { m_settings.setFields(appendingField(m_settings.fields())); });
    connect(&m_settings, &StepsReadSettings::fieldsChanged, this, &StepsReadFields::syncRows);
    syncRows();
}

void StepsReadFields::syncRows()
{
    const std::vector<ReadingField>& fields = m_settings.fields();
    std::vector<StepsReadFieldRow*> rows;
    rows.reserve(fields.size());
    for (const ReadingField& field : fields) {
        const auto existing = std::find_if(
            m_rows.begin(), m_rows.end(), [&](StepsReadFieldRow* row) { return row && row->fieldID() == field.id; });
        StepsReadFieldRow* row = nullptr;
        if (existing != m_rows.end()) {
            row = *existing;
            *existing = nullptr;
            row->setField(field);
        } else {
            row = new StepsReadFieldRow(field, m_environment, this);
            connect(row, &StepsReadFieldRow::edited, this, &StepsReadFields::applyEdit);
            connect(row, &StepsReadFieldRow::removeRequested, this, &StepsReadFields::remove);
        }
        rows.push_back(row);
    }
    for (StepsReadFieldRow* gone : m_rows) {
        if (gone) {
            m_column->removeWidget(gone);
            gone->hide();
            gone->deleteLater();
        }
    }
    m_rows = std::move(rows);
    // Rows in list order, then the add button.
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        m_column->removeWidget(m_rows[index]);
        m_column->insertWidget(int(index), m_rows[index]);
        m_rows[index]->setFirst(index == 0);
        m_rows[index]->setRemovable(m_rows.size() != 1);
    }
}

void StepsReadFields::applyEdit(const ReadingField& field)
{
    if (auto fields = replacingField(m_settings.fields(), field)) {
        m_settings.setFields(std::move(*fields));
    }
}

void StepsReadFields::remove(const Uuid& fieldID)
{
    if (auto fields = removingField(m_settings.fields(), fieldID)) {
        m_settings.setFields(std::move(*fields));
    }
}

} // namespace tavlen::ui
