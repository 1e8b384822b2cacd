#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;

class QWidget;

namespace tavlen::ui {

enum class AlertButtonRole
{
    normal,
    cancel,     // does nothing beyond dismissing; also what Escape and closing the window mean
    destructive // the action that destroys or discards
};

struct AlertButton
{
    QString title;
    AlertButtonRole role = AlertButtonRole::normal;
    std::function<void()> action; // may be empty
};

// What an alert shows, derived by the view from one optional piece of state.
struct AlertContent
{
    QString title;
    QString message;
    std::vector<AlertButton> buttons; // none gives one "OK" button
};

// The message box of an alert, not yet shown, its buttons in the content's order (an "OK" with the cancel role
// when the content has none); Escape and the close button mean the cancel button.
QMessageBox* makeAlertBox(const AlertContent& content, QWidget* parent);

// Shows a window-modal QMessageBox while the view's alert state is set. The view calls present() with the content
// derived from its state whenever that state changes: nullopt closes a shown alert without running any action.
// When the user answers (a button, Escape or closing the window, the last two meaning the cancel button), the
// chosen button's action runs and then dismissed() is emitted, on which the view clears its state.
class AlertPresenter : public QObject
{
    Q_OBJECT

public:
    // The alert belongs to the parent's window.
    explicit AlertPresenter(QWidget* parent);
    ~AlertPresenter() override;

    bool isShowing() const;

    QMessageBox* messageBox() const { return m_box; }

    void present(const std::optional<AlertContent>& content);

Q_SIGNALS:
    void dismissed();

private:
    void open(const AlertContent& content);
    void closeSilently();
    void handleAnswer(QAbstractButton* clicked);

    QWidget* m_parent;
    QPointer<QMessageBox> m_box;
    std::optional<AlertContent> m_content;
};

} // namespace tavlen::ui
