#include "BrowserConnectionLabel.h"

#include "Icons.h"
#include "KitColors.h"
#include "ProgressSpinner.h"
#include "ShellText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace tavlen::ui {

namespace {

constexpr int symbolSize = 14;

} // namespace

BrowserConnectionLabel::BrowserConnectionLabel(QWidget* parent)
    : QWidget(parent)
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::mini))
    , m_symbol(new QLabel)
    , m_text(new QLabel)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_spinner, 0, Qt::AlignVCenter);
    layout->addWidget(m_symbol, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 0, Qt::AlignVCenter);
    m_symbol->setFixedSize(symbolSize, symbolSize);
    m_spinner->setObjectName(QStringLiteral("chrome-connection-spinner"));
    m_symbol->setObjectName(QStringLiteral("chrome-connection-symbol"));
    m_text->setObjectName(QStringLiteral("chrome-connection-text"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStatus(BrowserConnectionStatus::disconnected);
}

void BrowserConnectionLabel::setStatus(BrowserConnectionStatus status)
{
    m_status = status;
    m_text->setText(connectionLabelText(status));
    updateSymbol();
}

QString BrowserConnectionLabel::text() const
{
    return m_text->text();
}

void BrowserConnectionLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateSymbol();
    }
}

void BrowserConnectionLabel::updateSymbol()
{
    const bool connecting = m_status == BrowserConnectionStatus::connecting;
    m_spinner->setVisible(connecting);
    m_symbol->setVisible(!connecting);
    if (connecting) {
        m_symbolName.clear();
        return;
    }
    const bool connected = m_status == BrowserConnectionStatus::connected;
    const QString symbol = connected                                            ? shell_text::connectedSymbol
                           : m_status == BrowserConnectionStatus::profileNeeded ? shell_text::profileNeededSymbol
                                                                                : shell_text::disconnectedSymbol;
    m_symbolName = symbol;
    const QColor color = kitColor(connected ? KitColor::green : KitColor::orange, palette());
    m_symbol->setPixmap(kitIconPixmap(symbol, color, QSize(symbolSize, symbolSize), devicePixelRatioF()));
}

} // namespace tavlen::ui
