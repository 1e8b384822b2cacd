#include "ContentUnavailableView.h"

#include "Icons.h"
#include "KitColors.h"
#include "TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int symbolSide = 40;

} // namespace

ContentUnavailableView::ContentUnavailableView(const QString& symbolName,
                                               const QString& title,
                                               const QString& description,
                                               QWidget* parent)
    : QWidget(parent)
    , m_symbolName(symbolName)
    , m_symbol(new QLabel(this))
    , m_title(new QLabel(title, this))
    , m_description(new QLabel(description, this))
    , m_actions(new QHBoxLayout)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(8);
    layout->addStretch(1);
    m_symbol->setAlignment(Qt::AlignCenter);
    m_symbol->setObjectName(QStringLiteral("content-unavailable-symbol"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    m_title->setFont(systemFont(17, QFont::DemiBold));
    m_title->setTextFormat(Qt::PlainText);
    m_description->setAlignment(Qt::AlignCenter);
    m_description->setWordWrap(true);
    m_description->setFont(textStyleFont(TextStyle::body));
    m_description->setTextFormat(Qt::PlainText);
    m_description->setVisible(!description.isEmpty());
    m_actions->setSpacing(8);
    m_actions->addStretch(1);
    m_actions->addStretch(1);
    layout->addWidget(m_symbol);
    layout->addSpacing(4);
    layout->addWidget(m_title);
    layout->addWidget(m_description);
    layout->addSpacing(4);
    layout->addLayout(m_actions);
    layout->addStretch(1);
    updateSymbol();
}

QString ContentUnavailableView::title() const
{
    return m_title->text();
}

QString ContentUnavailableView::description() const
{
    return m_description->text();
}

void ContentUnavailableView::setSymbolName(const QString& symbolName)
{
    m_symbolName = symbolName;
    updateSymbol();
}

void ContentUnavailableView::setTitle(const QString& title)
{
    m_title->setText(title);
}

void ContentUnavailableView::setDescription(const QString& description)
{
    m_description->setText(description);
    m_description->setVisible(!description.isEmpty());
}

void ContentUnavailableView::addActionWidget(QWidget* widget)
{
    m_actions->insertWidget(m_actions->count() - 1, widget);
}

void ContentUnavailableView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        updateSymbol();
    }
    QWidget::changeEvent(event);
}

void ContentUnavailableView::updateSymbol()
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, secondaryColor(palette()));
    m_description->setPalette(colors);
    m_symbol->setVisible(hasKitIcon(m_symbolName));
    m_symbol->setPixmap(
        kitIconPixmap(m_symbolName, secondaryColor(palette()), QSize(symbolSide, symbolSide), devicePixelRatioF()));
}

} // namespace tavlen::ui
