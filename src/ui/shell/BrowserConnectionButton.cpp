#include "BrowserConnectionButton.h"

#include "Accessibility.h"
#include "BrowserClientState.h"
#include "BrowserConnection.h"
#include "BrowserConnectionLabel.h"
#include "BrowserConnectionPopover.h"
#include "ChromeLauncher.h"
#include "KitColors.h"
#include "KitPopup.h"
#include "ShellText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace tavlen::ui {

BrowserConnectionButton::BrowserConnectionButton(BrowserConnection& connection,
                                                 std::shared_ptr<ChromeLauncher> launcher,
                                                 QString extensionFolder,
                                                 QWidget* parent)
    : QAbstractButton(parent)
    , m_connection(connection)
    , m_launcher(std::move(launcher))
    , m_extensionFolder(std::move(extensionFolder))
    , m_label(new BrowserConnectionLabel)
    , m_popup(new KitPopup(KitPopup::Kind::interactive, this))
{
    setIdentifier(this, shell_text::connectionButtonIdentifier);
    setAccessibility(this, shell_text::connectionLabel, shell_text::connectionHint);
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_label);
    // The click that closes the popover on the button must not open it again.
    m_popup->setAttribute(Qt::WA_NoMouseReplay);
    connect(this, &QAbstractButton::clicked, this, [this] { setShowsConnection(!m_showsConnection); });
    connect(m_popup, &KitPopup::closed, this, &BrowserConnectionButton::handlePopupClosed);
    observeBrowserState(m_connection.state(), this, [this] { refresh(); });
    refresh();
}

BrowserConnectionButton::~BrowserConnectionButton() = default;

void BrowserConnectionButton::setShowsConnection(bool shows)
{
    if (m_showsConnection == shows) {
        return;
    }
    m_showsConnection = shows;
    if (shows) {
        showPopover();
    } else if (m_popup->isVisible()) {
        m_popup->close();
    }
}

BrowserConnectionPopover* BrowserConnectionButton::popover() const
{
    return qobject_cast<BrowserConnectionPopover*>(m_popup->content());
}

QSize BrowserConnectionButton::sizeHint() const
{
    return layout()->sizeHint().expandedTo(QSize(0, 30));
}

void BrowserConnectionButton::paintEvent(QPaintEvent*)
{
    if (!m_hovered && !isDown() && !m_showsConnection) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(primaryColor(palette()), isDown() || m_showsConnection ? 0.14 : 0.08));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void BrowserConnectionButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    m_hovered = true;
    update();
}

void BrowserConnectionButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    update();
}

void BrowserConnectionButton::refresh()
{
    const BrowserConnectionFacts facts =
        BrowserConnectionFacts::from(m_connection.state(), m_connection.canSelectProfile());
    const BrowserConnectionStatus status = browserConnectionStatus(facts);
    m_label->setStatus(status);
    setToolTip(connectionTooltip(status, facts.errorMessage));
}

void BrowserConnectionButton::showPopover()
{
    // A button not yet in a shown window has nothing to anchor to; the next click shows the popover.
    if (!window()->isVisible()) {
        m_showsConnection = false;
        return;
    }
    auto* content = new BrowserConnectionPopover(m_connection, m_launcher, m_extensionFolder);
    connect(content, &BrowserConnectionPopover::sizeHintChanged, m_popup, [popup = m_popup] {
        if (popup->isVisible()) {
            popup->reposition();
        }
    });
    m_popup->setContent(content);
    m_popup->showAt(this);
    update();
}

void BrowserConnectionButton::handlePopupClosed()
{
    m_showsConnection = false;
    update();
    // The content goes once the close has been handled, so nothing of it is kept between showings.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_showsConnection) {
                m_popup->setContent(nullptr);
            }
        },
        Qt::QueuedConnection);
}

} // namespace tavlen::ui
