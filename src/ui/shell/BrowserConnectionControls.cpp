#include "BrowserConnectionControls.h"

#include "BrowserConnection.h"
#include "BrowserProfileRow.h"
#include "ChromeLauncher.h"
#include "Icons.h"
#include "KitColors.h"
#include "ProgressSpinner.h"
#include "QtText.h"
#include "ShellText.h"
#include "TaskHandle.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int padding = 20;

QLabel* makeText(const QString& identifier, std::optional<QColor> color = std::nullopt, bool callout = false)
{
    auto* label = new QLabel;
    label->setObjectName(identifier);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (callout) {
        label->setFont(textStyleFont(TextStyle::callout));
    }
    if (color) {
        QPalette colors = label->palette();
        colors.setColor(QPalette::WindowText, *color);
        label->setPalette(colors);
    }
    return label;
}

} // namespace

BrowserConnectionControls::BrowserConnectionControls(BrowserConnection& connection,
                                                     std::shared_ptr<ChromeLauncher> launcher,
                                                     QString extensionFolder,
                                                     QWidget* parent)
    : QWidget(parent)
    , m_connection(connection)
    , m_launcher(std::move(launcher))
    , m_extensionFolder(std::move(extensionFolder))
    , m_titleSymbol(new QLabel)
    , m_title(makeText(QStringLiteral("chrome-connection-title")))
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::small))
    , m_rows(new QWidget)
    , m_rowsLayout(new QVBoxLayout(m_rows))
    , m_error(makeText(QStringLiteral("chrome-connection-error"), kitColor(KitColor::red, palette())))
    , m_guidance(makeText(QStringLiteral("chrome-connection-guidance"), secondaryColor(palette()), true))
    , m_install(new TavlenButton(shell_text::installExtension,
                                 {TavlenButtonStyle::Variant::primary, TavlenButtonStyle::Size::regular}))
    , m_chromeNote(makeText(QStringLiteral("chrome-connection-chrome-missing"), secondaryColor(palette()), true))
    , m_linkErrorLabel(makeText(QStringLiteral("chrome-connection-link-error"), kitColor(KitColor::red, palette())))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(16);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    m_titleSymbol->setFixedSize(16, 16);
    m_titleSymbol->setObjectName(QStringLiteral("chrome-connection-title-symbol"));
    title->addWidget(m_titleSymbol, 0, Qt::AlignTop);
    title->addWidget(m_title, 1);
    layout->addLayout(title);
    m_spinner->setObjectName(QStringLiteral("chrome-connection-progress"));
    layout->addWidget(m_spinner, 0, Qt::AlignLeft);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(16);
    layout->addWidget(m_rows);
    layout->addWidget(m_error);
    m_guidance->setText(QString());
    layout->addWidget(m_guidance);
    m_install->setObjectName(QStringLiteral("chrome-connection-install"));
    layout->addWidget(m_install, 0, Qt::AlignLeft);
    m_chromeNote->setText(shell_text::chromeMissingNote);
    layout->addWidget(m_chromeNote);
    layout->addWidget(m_linkErrorLabel);
    layout->addStretch(1);

    connect(m_install, &TavlenButton::clicked, this, &BrowserConnectionControls::installExtension);
    observeBrowserState(m_connection.state(), this, [this] { refresh(); });
    refresh();
}

BrowserConnectionFacts BrowserConnectionControls::facts() const
{
    return BrowserConnectionFacts::from(m_connection.state(), m_connection.canSelectProfile());
}

int BrowserConnectionControls::contentHeight() const
{
    return layout()->totalHeightForWidth(browserConnectionPopoverWidth);
}

void BrowserConnectionControls::refresh()
{
    const BrowserConnectionFacts now = facts();
    const BrowserConnectionStatus status = browserConnectionStatus(now);
    m_title->setText(statusTitle(status));
    const QString symbol = now.hasSelectedProfile() ? shell_text::connectedTitleSymbol : shell_text::waitingTitleSymbol;
    m_titleSymbol->setPixmap(kitIcon(symbol).pixmap(QSize(16, 16), devicePixelRatioF()));
    m_titleSymbol->setAccessibleName(symbol);
    m_spinner->setVisible(now.isSettingUp || now.isSelectingProfile);
    rebuildRows(now);
    m_error->setVisible(now.errorMessage.has_value());
    m_error->setText(now.errorMessage ? toQString(*now.errorMessage) : QString());
    m_guidance->setText(guidanceText(browserConnectionGuidance(now), m_extensionFolder));
    m_install->setVisible(showsInstallButton(now));
    m_install->setEnabled(!m_isOpeningLink);
    m_chromeNote->setVisible(showsChromeMissingNote(now, m_launcher->chromeProgram().has_value()));
    m_linkErrorLabel->setVisible(m_linkError.has_value());
    m_linkErrorLabel->setText(m_linkError.value_or(QString()));
    Q_EMIT contentChanged();
}

void BrowserConnectionControls::rebuildRows(const BrowserConnectionFacts& facts)
{
    if (m_shownRows && m_shownRows->first == facts.profiles && m_shownRows->second == facts.canSelectProfile) {
        return;
    }
    m_shownRows.emplace(facts.profiles, facts.canSelectProfile);
    // A row may be the sender of the click that led here: it goes once control is back in the event loop.
    while (QLayoutItem* item = m_rowsLayout->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (const BrowserProfile& profile : facts.profiles) {
        BrowserConnection* connection = &m_connection;
        auto choose = [connection, id = profile.id] {
            // The outcome shows through the client's state; the client outlives every view.
            TaskHandle<void>([connection, id](std::stop_token) { return connection->selectProfile(id); });
        };
        m_rowsLayout->addWidget(new BrowserProfileRow(profile, facts.canSelectProfile, std::move(choose)));
    }
    m_rows->setVisible(!facts.profiles.empty());
}

void BrowserConnectionControls::installExtension()
{
    if (m_isOpeningLink) {
        return;
    }
    m_linkError.reset();
    m_isOpeningLink = true;
    refresh();
    TaskHandle<void>([launcher = m_launcher, folder = m_extensionFolder, self = QPointer(this)](
                         std::stop_token) -> QCoro::Task<void> {
        const QUrl address(shell_text::extensionsAddress);
        std::optional<QString> error;
        if (const std::optional<QString> chrome = launcher->chromeProgram()) {
            if (!co_await launcher->openInChrome(*chrome, address)) {
                error = shell_text::chromeFailed(address.toString());
            }
        } else if (!launcher->openWithDefaultHandler(address)) {
            error = shell_text::linkFailed(address.toString());
        }
        launcher->showFolder(folder);
        if (self) {
            self->finishOpening(std::move(error));
        }
    });
}

void BrowserConnectionControls::finishOpening(std::optional<QString> error)
{
    m_isOpeningLink = false;
    m_linkError = std::move(error);
    refresh();
}

} // namespace tavlen::ui
