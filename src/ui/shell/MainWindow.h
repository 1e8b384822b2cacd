#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>

class QToolBar;

namespace tavlen::ui {

class ShellCommands;

// The one main window, 960×640 and titled "Tavlen": its menus and toolbar come from the shell commands, its
// content is a slot (a placeholder until a view is put there), and the toolbar has a slot for the Chrome
// connection button after the settings button. Closing it hides it; whether it may close is asked first.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr QSize defaultSize{960, 640};

    explicit MainWindow(ShellCommands& commands, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces the content (the window owns it).
    void setContent(QWidget* content);
    QWidget* content() const;
    // Puts a widget into the toolbar after the settings button (the window owns it); null removes it.
    void setConnectionButton(QWidget* button);

    QWidget* connectionButton() const { return m_connectionButton.data(); }

    // Asked before the window closes; false keeps it open. Without one the window closes.
    std::function<bool()> shouldClose;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QToolBar* m_toolbar = nullptr;
    QPointer<QWidget> m_connectionButton;
    QAction* m_connectionSlot = nullptr;
};

} // namespace tavlen::ui
