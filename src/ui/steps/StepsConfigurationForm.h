#pragma once

#include "QtText.h"
#include "StepsFieldEnvironment.h"

#include <QLineEdit>
#include <QString>

#include <functional>
#include <string>

class QLabel;
class QWidget;

namespace tavlen::ui {

// Small pieces the configuration forms share.

// A rounded text field whose text follows the getter whenever the change signal fires and writes every edit
// through the setter, unchanged texts left alone so typing keeps its cursor.
template <typename Settings>
QLineEdit* makeBoundLineEdit(Settings& settings,
                             const std::string& (Settings::*getter)() const,
                             void (Settings::*setter)(std::string),
                             void (Settings::*changed)(),
                             const QString& placeholder,
                             const QString& accessibleName,
                             int width)
{
    auto* edit = new QLineEdit(toQString((settings.*getter)()));
    edit->setPlaceholderText(placeholder);
    edit->setAccessibleName(accessibleName);
    edit->setFixedWidth(width);
    QObject::connect(edit, &QLineEdit::textEdited, &settings, [&settings, setter](const QString& text) {
        (settings.*setter)(fromQString(text));
    });
    QObject::connect(&settings, changed, edit, [&settings, getter, edit] {
        const QString text = toQString((settings.*getter)());
        if (edit->text() != text) {
            edit->setText(text);
        }
    });
    return edit;
}

// A plain label; in the secondary colour when asked.
QLabel* makeFormLabel(const QString& text, bool secondary, QWidget* parent);
// A hint under the inputs: caption font, wrapping, secondary or red.
QLabel* makeFormHint(const QString& text, bool red, QWidget* parent);
// The editor is showing validation messages: a context whose session shows them.
bool isShowingValidation(const StepsFieldEnvironment& environment);

} // namespace tavlen::ui
