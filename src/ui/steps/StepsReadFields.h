#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

#include <vector>

class QVBoxLayout;

namespace tavlen {
class StepsReadSettings;
}

namespace tavlen::ui {

class StepsReadFieldRow;
class TavlenButton;

// The fields a Read step asks the model for, one row each in list order, and "Add field" below them. Every edit
// goes straight into the settings' field list, found by the field's id; the last field cannot be removed. The
// rows follow the list as it changes from anywhere.
class StepsReadFields : public QWidget
{
    Q_OBJECT

public:
    // The settings must outlive the editor.
    StepsReadFields(StepsReadSettings& settings, const StepsFieldEnvironment& environment, QWidget* parent = nullptr);

    // The rows in list order.
    const std::vector<StepsReadFieldRow*>& rows() const { return m_rows; }

    TavlenButton* addButton() const { return m_add; }

private:
    void syncRows();
    void applyEdit(const ReadingField& field);
    void remove(const Uuid& fieldID);

    StepsReadSettings& m_settings;
    StepsFieldEnvironment m_environment;
    std::vector<StepsReadFieldRow*> m_rows;
    QVBoxLayout* m_column;
    TavlenButton* m_add;
};

} // namespace tavlen::ui
