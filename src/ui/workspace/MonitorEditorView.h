#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QWidget;

namespace tavlen {
class MonitorEditorSession;
class MonitorWorkspace;
} // namespace tavlen

namespace tavlen::ui {

class AlertPresenter;
class ProgressSpinner;
class TavlenButton;

// The new-monitor sheet: a window-modal dialog asking for a name. It decides when the name is acceptable and when
// to ask before throwing typed text away; creating, closing and reloading are the caller's. It cannot be closed
// from its frame: only through the dismiss callback, or by its owner.
class MonitorEditorView : public QDialog
{
    Q_OBJECT

public:
    struct Actions
    {
        std::function<void()> save;
        std::function<void()> dismiss;
        std::function<void()> retryStorage;
    };

    MonitorEditorView(std::shared_ptr<MonitorEditorSession> session, Actions actions, QWidget* parent = nullptr);
    ~MonitorEditorView() override;

    bool showsValidation() const { return m_showsValidation; }

    bool confirmsDiscard() const { return m_confirmsDiscard; }

    void setBusy(bool isBusy);
    void setCanSave(bool canSave);

    // Create: save with a valid name, else show the validation message and focus the name.
    void create();
    // Cancel (also Escape): nothing while busy; with any typed text ask first, else dismiss at once.
    void cancel();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void setConfirmsDiscard(bool confirms);

    std::shared_ptr<MonitorEditorSession> m_session;
    Actions m_actions;
    bool m_isBusy = false;
    bool m_canSave = false;
    bool m_showsValidation = false;
    bool m_confirmsDiscard = false;
    QWidget* m_form;
    QLineEdit* m_name;
    QLabel* m_validation;
    QWidget* m_errorBox;
    QLabel* m_errorLabel;
    TavlenButton* m_retryButton;
    ProgressSpinner* m_spinner;
    TavlenButton* m_cancelButton;
    TavlenButton* m_createButton;
    AlertPresenter* m_discardAlert;
};

// The sheet bound to the workspace's open editor session: busy and can-save follow the workspace, Create saves
// the new monitor, dismiss and retry work while the workspace is idle, and the sheet closes itself when the
// workspace drops the session. Null when no editor session is open.
MonitorEditorView* openMonitorEditor(MonitorWorkspace& workspace, QWidget* parent);

} // namespace tavlen::ui
