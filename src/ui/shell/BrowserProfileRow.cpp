#include "BrowserProfileRow.h"

#include "BrowserConnectionStatus.h"
#include "Icons.h"
#include "KitColors.h"
#include "QtText.h"
#include "ShellText.h"
#include "TavlenButton.h"
#include "TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tavlen::ui {

BrowserProfileRow::BrowserProfileRow(const BrowserProfile& profile,
                                     bool canSelect,
                                     std::function<void()> choose,
                                     QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("chrome-profile-") + toQString(profile.id));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* name = new QLabel(toQString(profile.profileName));
    name->setWordWrap(true);
    auto* id = new QLabel(shortProfileID(profile.id));
    id->setFont(textStyleFont(TextStyle::caption));
    QPalette secondary = id->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(secondary));
    id->setPalette(secondary);
    texts->addWidget(name);
    texts->addWidget(id);
    row->addLayout(texts, 1);
    if (profile.selected) {
        auto* selected = new QWidget;
        selected->setObjectName(QStringLiteral("chrome-profile-selected"));
        auto* mark = new QHBoxLayout(selected);
        mark->setContentsMargins(0, 0, 0, 0);
        mark->setSpacing(4);
        auto* symbol = new QLabel;
        symbol->setPixmap(kitIcon(shell_text::selectedSymbol).pixmap(QSize(12, 12), devicePixelRatioF()));
        mark->addWidget(symbol);
        mark->addWidget(new QLabel(shell_text::selectedProfile));
        row->addWidget(selected, 0, Qt::AlignTop);
        return;
    }
    m_use = new TavlenButton(shell_text::useThisProfile,
                             {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact});
    m_use->setObjectName(QStringLiteral("chrome-profile-use"));
    m_use->setEnabled(canSelect);
    connect(m_use, &TavlenButton::clicked, this, [choose = std::move(choose)] { choose(); });
    row->addWidget(m_use, 0, Qt::AlignTop);
}

} // namespace tavlen::ui
