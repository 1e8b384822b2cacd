#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

namespace tavlen::ui {

class TavlenButton;

// A problem line across the detail column: its sentence and one button that acts on it.
class WorkspaceBanner : public QWidget
{
    Q_OBJECT

public:
    WorkspaceBanner(const QString& buttonTitle, std::function<void()> action, QWidget* parent = nullptr);

    QString text() const;

    TavlenButton* button() const { return m_button; }

    // Shown with the text, or hidden when it has none.
    void present(const std::optional<QString>& text);

private:
    QLabel* m_text;
    TavlenButton* m_button;
};

} // namespace tavlen::ui
