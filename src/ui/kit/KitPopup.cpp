#include "KitPopup.h"

#include "KitColors.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace tavlen::ui {

KitPopup::KitPopup(Kind kind, QWidget* parent)
    : QFrame(parent, kind == Kind::interactive ? Qt::Popup : Qt::ToolTip)
    , m_kind(kind)
{
    setWindowFlag(Qt::FramelessWindowHint);
    if (kind == Kind::hover) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
}

void KitPopup::setContent(QWidget* content)
{
    if (m_content == content) {
        return;
    }
    delete m_content;
    m_content = content;
    if (content) {
        layout()->addWidget(content);
    }
}

void KitPopup::setSizeRule(SizeRule rule)
{
    m_sizeRule = std::move(rule);
}

void KitPopup::showAt(QWidget* anchor, PopupEdge preferred)
{
    m_anchor = anchor;
    m_edge = preferred;
    reposition();
    show();
    if (m_kind == Kind::interactive && m_content) {
        m_content->setFocus(Qt::PopupFocusReason);
    }
}

void KitPopup::reposition()
{
    const QMargins margins = layout()->contentsMargins();
    const QSize hint = m_content ? m_content->sizeHint() : QSize();
    const QSize contentSize = m_sizeRule ? m_sizeRule(hint) : hint;
    const QSize size = contentSize.grownBy(margins);
    QRect anchorRect;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (m_anchor) {
        anchorRect = QRect(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
        if (QScreen* anchorScreen = m_anchor->screen()) {
            screen = anchorScreen;
        }
    }
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size);
    setFixedSize(size);
    move(popupGeometry(anchorRect, size, available, m_edge).topLeft());
}

void KitPopup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

void KitPopup::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    Q_EMIT closed();
}

void KitPopup::paintEvent(QPaintEvent*)
{
    // Square corners: rounded ones would need a translucent window, which desktops without compositing paint
    // black.
    QPainter painter(this);
    const QPalette& colors = palette();
    painter.fillRect(rect(), colors.color(QPalette::Window));
    painter.setPen(withOpacity(primaryColor(colors), isDarkAppearance(colors) ? 0.3 : 0.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tavlen::ui
