#pragma once

#include "StepsFieldEnvironment.h"

#include <QWidget>

#include <optional>

class QPlainTextEdit;

namespace tavlen::ui {

class StepsFieldWrapper;

// A multi-line text input for reading instructions: the title as its placeholder and accessible name (and as a
// caption above it when asked), two lines tall when empty and growing with its text up to six lines, wrapped
// for validation with its kind.
class StepsInstructionField : public QWidget
{
    Q_OBJECT

public:
    StepsInstructionField(const QString& title,
                          bool showsLabel,
                          std::optional<StepsField::Kind> kind,
                          const StepsFieldEnvironment& environment,
                          QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return m_editor; }

    StepsFieldWrapper* wrapper() const { return m_wrapper; }

    QString text() const;
    // Replaces the text unless it is already this text, so typing keeps its cursor.
    void setText(const QString& text);

    // The visible lines the editor is sized for: 2 to 6.
    int visibleLines() const { return m_visibleLines; }

Q_SIGNALS:
    // The user changed the text.
    void textEdited(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitHeight();

    QPlainTextEdit* m_editor;
    StepsFieldWrapper* m_wrapper;
    int m_visibleLines = 0;
    bool m_settingText = false;
};

} // namespace tavlen::ui
