#include "StepsInstructionField.h"

#include "KitColors.h"
#include "StepsFieldWrapper.h"
#include "TextStyles.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tavlen::ui {
namespace {

constexpr int fewestLines = 2;
constexpr int mostLines = 6;

} // namespace

StepsInstructionField::StepsInstructionField(const QString& title,
                                             bool showsLabel,
                                             std::optional<StepsField::Kind> kind,
                                             const StepsFieldEnvironment& environment,
                                             QWidget* parent)
    : QWidget(parent)
    , m_editor(new QPlainTextEdit)
    , m_wrapper(new StepsFieldWrapper(m_editor, kind, environment, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    if (showsLabel) {
        auto* label = new QLabel(title, this);
        label->setTextFormat(Qt::PlainText);
        label->setFont(textStyleFont(TextStyle::caption));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, secondaryColor(this->palette()));
        label->setPalette(palette);
        layout->addWidget(label);
    }
    layout->addWidget(m_wrapper);
    m_editor->setPlaceholderText(title);
    m_editor->setAccessibleName(title);
    m_editor->setTabChangesFocus(true);
    m_editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_editor->viewport()->installEventFilter(this);
    connect(m_editor->document(), &QTextDocument::contentsChanged, this, [this] {
        fitHeight();
        if (!m_settingText) {
            Q_EMIT textEdited(m_editor->toPlainText());
        }
    });
    fitHeight();
}

QString StepsInstructionField::text() const
{
    return m_editor->toPlainText();
}

void StepsInstructionField::setText(const QString& text)
{
    if (m_editor->toPlainText() == text) {
        return;
    }
    m_settingText = true;
    m_editor->setPlainText(text);
    m_settingText = false;
}

bool StepsInstructionField::eventFilter(QObject* watched, QEvent* event)
{
    // A new width wraps the text into a different number of lines.
    if (watched == m_editor->viewport() && event->type() == QEvent::Resize) {
        fitHeight();
    }
    return QWidget::eventFilter(watched, event);
}

void StepsInstructionField::fitHeight()
{
    // The plain-text layout measures its document in lines, wrapped lines included.
    const double lines = m_editor->document()->documentLayout()->documentSize().height();
    const int visible = std::clamp(int(std::ceil(lines)), fewestLines, mostLines);
    m_editor->setVerticalScrollBarPolicy(lines > mostLines ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (visible == m_visibleLines) {
        return;
    }
    m_visibleLines = visible;
    const QMargins margins = m_editor->contentsMargins();
    const int height = visible * m_editor->fontMetrics().lineSpacing() +
                       int(std::ceil(2 * m_editor->document()->documentMargin())) + margins.top() + margins.bottom();
    m_editor->setFixedHeight(height);
}

} // namespace tavlen::ui
