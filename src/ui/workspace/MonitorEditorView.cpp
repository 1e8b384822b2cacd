#include "MonitorEditorView.h"

#include "Accessibility.h"
#include "AlertPresenter.h"
#include "Icons.h"
#include "KitColors.h"
#include "MonitorEditorSession.h"
#include "MonitorWorkspace.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceViewText.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr TavlenButtonStyle standardStyle{TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::regular};
constexpr TavlenButtonStyle primaryStyle{TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular};

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

// A symbol before a text in one colour.
QWidget* symbolLabel(const QString& symbol, QLabel* textLabel, const QColor& color, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* icon = new QLabel(row);
    const int side = textLabel->fontMetrics().height();
    icon->setPixmap(kitIconPixmap(symbol, color, QSize(side, side), row->devicePixelRatioF()));
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(textLabel, 1);
    return row;
}

bool offersRetry(const MonitorStoreError& error)
{
    return error.kind() != MonitorStoreError::Kind::validation && error.kind() != MonitorStoreError::Kind::busy;
}

} // namespace

MonitorEditorView::MonitorEditorView(std::shared_ptr<MonitorEditorSession> session, Actions actions, QWidget* parent)
    : QDialog(parent)
    , m_session(std::move(session))
    , m_actions(std::move(actions))
    , m_form(new QWidget(this))
    , m_name(new QLineEdit(m_form))
    , m_validation(new QLabel(text::enterName, m_form))
    , m_errorBox(new QWidget(this))
    , m_errorLabel(new QLabel(m_errorBox))
    , m_retryButton(new TavlenButton(text::retryStorage, standardStyle, m_errorBox))
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::small, this))
    , m_cancelButton(new TavlenButton(text::cancel, standardStyle, this))
    , m_createButton(new TavlenButton(text::createMonitor, primaryStyle, this))
    , m_discardAlert(new AlertPresenter(this))
{
    setWindowModality(Qt::WindowModal);
    setWindowTitle(text::newMonitor);
    setMinimumSize(520, 320);
    setMaximumSize(680, 820);
    resize(560, 350);
    setIdentifier(this, QStringLiteral("new-monitor-sheet"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* title = new QLabel(text::newMonitor, this);
    QFont titleFont = textStyleFont(TextStyle::title2);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(20, 20, 20, 20);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    layout->addLayout(titleRow);
    layout->addWidget(divider(this));

    auto* form = new QFormLayout(m_form);
    form->setContentsMargins(20, 16, 20, 12);
    form->addRow(text::name, m_name);
    setIdentifier(m_name, QStringLiteral("new-monitor-name"));
    m_name->setAccessibleName(text::name);
    m_validation->setFont(textStyleFont(TextStyle::caption));
    const QColor red = kitColor(KitColor::red, palette());
    QPalette redText = m_validation->palette();
    redText.setColor(QPalette::WindowText, red);
    m_validation->setPalette(redText);
    auto* validationRow = symbolLabel(QStringLiteral("exclamationmark.circle.fill"), m_validation, red, m_form);
    setIdentifier(validationRow, QStringLiteral("new-monitor-name-validation"));
    form->addRow(QString(), validationRow);
    layout->addWidget(m_form);

    auto* errorLayout = new QVBoxLayout(m_errorBox);
    errorLayout->setContentsMargins(20, 0, 20, 12);
    errorLayout->setSpacing(8);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFont(textStyleFont(TextStyle::callout));
    setIdentifier(m_errorLabel, QStringLiteral("new-monitor-error"));
    errorLayout->addWidget(
        symbolLabel(QStringLiteral("exclamationmark.triangle"), m_errorLabel, primaryColor(palette()), m_errorBox));
    errorLayout->addWidget(m_retryButton, 0, Qt::AlignLeft);
    setIdentifier(m_retryButton, QStringLiteral("new-monitor-retry-storage"));
    layout->addWidget(m_errorBox);
    layout->addStretch(1);
    layout->addWidget(divider(this));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 16, 16, 16);
    m_spinner->setAccessibleName(text::savingOrReloading);
    buttons->addWidget(m_spinner);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_createButton);
    setIdentifier(m_cancelButton, QStringLiteral("new-monitor-cancel"));
    setIdentifier(m_createButton, QStringLiteral("new-monitor-create"));
    layout->addLayout(buttons);

    connect(
        m_name, &QLineEdit::textEdited, this, [this](const QString& name) { m_session->setName(fromQString(name)); });
    connect(m_name, &QLineEdit::returnPressed, this, [this] {
        if (m_createButton->isEnabled()) {
            create();
        }
    });
    connect(m_createButton, &QAbstractButton::clicked, this, &MonitorEditorView::create);
    connect(m_cancelButton, &QAbstractButton::clicked, this, &MonitorEditorView::cancel);
    connect(m_retryButton, &QAbstractButton::clicked, this, [this] {
        if (m_actions.retryStorage) {
            m_actions.retryStorage();
        }
    });
    connect(m_session.get(), &MonitorEditorSession::nameChanged, this, &MonitorEditorView::refresh);
    connect(m_session.get(), &MonitorEditorSession::saveErrorChanged, this, &MonitorEditorView::refresh);
    connect(m_discardAlert, &AlertPresenter::dismissed, this, [this] { setConfirmsDiscard(false); });
    refresh();
}

MonitorEditorView::~MonitorEditorView() = default;

void MonitorEditorView::setBusy(bool isBusy)
{
    m_isBusy = isBusy;
    refresh();
}

void MonitorEditorView::setCanSave(bool canSave)
{
    m_canSave = canSave;
    refresh();
}

void MonitorEditorView::create()
{
    if (m_session->hasValidName()) {
        if (m_actions.save) {
            m_actions.save();
        }
        return;
    }
    m_showsValidation = true;
    refresh();
    m_name->setFocus(Qt::OtherFocusReason);
}

void MonitorEditorView::cancel()
{
    if (m_isBusy) {
        return;
    }
    // Any typed character counts, even a single space: the user typed something and may want it.
    if (!m_session->name().empty()) {
        setConfirmsDiscard(true);
    } else if (m_actions.dismiss) {
        m_actions.dismiss();
    }
}

void MonitorEditorView::reject()
{
    cancel();
}

void MonitorEditorView::closeEvent(QCloseEvent* event)
{
    event->ignore();
    cancel();
}

void MonitorEditorView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_name->setFocus(Qt::OtherFocusReason);
}

void MonitorEditorView::setConfirmsDiscard(bool confirms)
{
    if (confirms == m_confirmsDiscard) {
        return;
    }
    m_confirmsDiscard = confirms;
    if (!confirms) {
        m_discardAlert->present(std::nullopt);
        return;
    }
    m_discardAlert->present(AlertContent{
        text::discardChangesQuestion,
        text::changesWillBeLost,
        {{text::keepEditing, AlertButtonRole::cancel, {}}, {text::discardChanges, AlertButtonRole::destructive, [this] {
                                                                if (m_actions.dismiss) {
                                                                    m_actions.dismiss();
                                                                }
                                                            }}}});
}

void MonitorEditorView::refresh()
{
    const QString name = toQString(m_session->name());
    if (m_name->text() != name) {
        m_name->setText(name);
    }
    m_form->setEnabled(!m_isBusy);
    m_validation->parentWidget()->setVisible(m_showsValidation && !m_session->hasValidName());
    const auto& error = m_session->saveError();
    m_errorBox->setVisible(error.has_value());
    if (error) {
        m_errorLabel->setText(toQString(error->errorDescription()));
        m_retryButton->setVisible(offersRetry(*error));
    }
    m_retryButton->setEnabled(!m_isBusy);
    m_spinner->setVisible(m_isBusy);
    m_cancelButton->setEnabled(!m_isBusy);
    m_createButton->setEnabled(m_canSave && !m_isBusy);
}

MonitorEditorView* openMonitorEditor(MonitorWorkspace& workspace, QWidget* parent)
{
    const auto session = workspace.editor();
    if (!session) {
        return nullptr;
    }
    QPointer<MonitorWorkspace> weakWorkspace(&workspace);
    MonitorEditorView::Actions actions;
    actions.save = [weakWorkspace] {
        if (weakWorkspace) {
            weakWorkspace->saveNewMonitor();
        }
    };
    actions.dismiss = [weakWorkspace] {
        if (weakWorkspace && !weakWorkspace->isBusy()) {
            weakWorkspace->setEditor(nullptr);
        }
    };
    actions.retryStorage = [weakWorkspace] {
        if (weakWorkspace && !weakWorkspace->isBusy()) {
            weakWorkspace->load();
        }
    };
    auto* view = new MonitorEditorView(session, std::move(actions), parent);
    view->setAttribute(Qt::WA_DeleteOnClose);
    const auto follow = [view, &workspace] {
        view->setBusy(workspace.isBusy());
        view->setCanSave(workspace.canSaveNewMonitor());
    };
    QObject::connect(&workspace, &MonitorWorkspaceState::isBusyChanged, view, follow);
    QObject::connect(&workspace, &MonitorWorkspaceState::loadStateChanged, view, follow);
    QObject::connect(session.get(), &MonitorEditorSession::saveErrorChanged, view, follow);
    QObject::connect(&workspace, &MonitorWorkspaceState::editorChanged, view, [view, &workspace, session] {
        if (workspace.editor() != session) {
            view->hide();
            view->deleteLater();
        }
    });
    follow();
    return view;
}

} // namespace tavlen::ui
