#pragma once

#include <QAbstractButton>
#include <QPointer>

#include <memory>

namespace tavlen::ui {

class BrowserConnection;
class BrowserConnectionLabel;
class BrowserConnectionPopover;
class ChromeLauncher;
class KitPopup;

// The toolbar's Chrome connection button: shows the connection's status at a glance and toggles the connection
// popover below it. The popover's content is built anew at every showing and released when it closes.
class BrowserConnectionButton : public QAbstractButton
{
    Q_OBJECT

public:
    // The connection and the launcher must outlive the button; extensionFolder is the bundle's extension.
    BrowserConnectionButton(BrowserConnection& connection,
                            std::shared_ptr<ChromeLauncher> launcher,
                            QString extensionFolder,
                            QWidget* parent = nullptr);
    ~BrowserConnectionButton() override;

    // Whether the popover is wanted; setting it shows or closes the popover.
    bool showsConnection() const { return m_showsConnection; }

    void setShowsConnection(bool shows);

    BrowserConnectionLabel& label() const { return *m_label; }

    KitPopup& popup() const { return *m_popup; }

    // The shown popover's content; null while closed.
    BrowserConnectionPopover* popover() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void refresh();
    void showPopover();
    void handlePopupClosed();

    BrowserConnection& m_connection;
    std::shared_ptr<ChromeLauncher> m_launcher;
    QString m_extensionFolder;
    bool m_showsConnection = false;
    bool m_hovered = false;
    BrowserConnectionLabel* m_label;
    KitPopup* m_popup;
};

} // namespace tavlen::ui
