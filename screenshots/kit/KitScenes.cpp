#include "AlertPresenter.h"
#include "ContentUnavailableView.h"
#include "Icons.h"
#include "KitColors.h"
#include "KitPopup.h"
#include "ProgressSpinner.h"
#include "Scene.h"
#include "TavlenButton.h"
#include "TavlenButtonPainter.h"
#include "TextStyles.h"

#include <QDirIterator>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

using ui::TavlenButtonStyle;
using Variant = TavlenButtonStyle::Variant;
using Size = TavlenButtonStyle::Size;

struct StateColumn
{
    QString name;
    ui::TavlenButtonState state;
};

const std::vector<StateColumn>& stateColumns()
{
    static const std::vector<StateColumn> columns = {
        {QStringLiteral("idle"), {}},
        {QStringLiteral("hovered"), {.hovered = true}},
        {QStringLiteral("pressed"), {.pressed = true, .hovered = true}},
        {QStringLiteral("focused"), {.focused = true}},
        {QStringLiteral("disabled"), {.enabled = false}},
        {QStringLiteral("inactive window"), {.windowActive = false}},
        {QStringLiteral("destructive"), {.role = ui::ButtonRole::destructive}},
        {QStringLiteral("contrast"), {.contrast = ui::Contrast::increased}},
        {QStringLiteral("contrast hovered"), {.hovered = true, .contrast = ui::Contrast::increased}},
        {QStringLiteral("contrast disabled"), {.enabled = false, .contrast = ui::Contrast::increased}},
    };
    return columns;
}

// Every variant and size in every state, painted by the button's own painter (hover, press and focus cannot be
// held on real widgets at once).
class ButtonStateGrid : public QWidget
{
public:
    ButtonStateGrid() { setFixedSize(columnWidth * static_cast<int>(stateColumns().size()) + 130, 36 * 6 + 40); }

protected:
    static constexpr int columnWidth = 120;

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        painter.setFont(ui::textStyleFont(ui::TextStyle::caption));
        painter.setPen(ui::secondaryColor(palette()));
        int x = 130;
        for (const StateColumn& column : stateColumns()) {
            painter.drawText(QRect(x, 8, columnWidth - 8, 20), Qt::AlignLeft | Qt::AlignVCenter, column.name);
            x += columnWidth;
        }
        const ui::TavlenButtonColors colors = ui::TavlenButtonColors::from(palette());
        int y = 36;
        for (const Variant variant : {Variant::icon, Variant::standard, Variant::primary}) {
            for (const Size size : {Size::regular, Size::compact}) {
                const TavlenButtonStyle style{variant, size};
                painter.setPen(ui::secondaryColor(palette()));
                painter.setFont(ui::textStyleFont(ui::TextStyle::caption));
                painter.drawText(QRect(8, y, 120, 28),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 rowName(variant) + (size == Size::regular ? u" regular"_qs : u" compact"_qs));
                const ui::TavlenButtonLabel label =
                    variant == Variant::icon ? ui::TavlenButtonLabel{{}, u"play"_qs}
                                             : ui::TavlenButtonLabel{u"Save"_qs, u"square.and.arrow.down"_qs};
                const QSize buttonSize = ui::tavlenButtonSize(style, label, font());
                x = 130;
                for (const StateColumn& column : stateColumns()) {
                    const QRect frame(QPoint(x, y + (28 - buttonSize.height()) / 2), buttonSize);
                    ui::paintTavlenButton(
                        painter, frame, style, ui::tavlenButtonAppearance(style, column.state, colors), label, font());
                    x += columnWidth;
                }
                y += 36;
            }
        }
    }

private:
    static QString rowName(Variant variant)
    {
        switch (variant) {
        case Variant::icon:
            return u"icon"_qs;
        case Variant::standard:
            return u"standard"_qs;
        case Variant::primary:
            return u"primary"_qs;
        }
        return {};
    }
};

const SceneRegistrar buttonStates{u"kit-button-states"_qs, [] { return std::make_unique<ButtonStateGrid>(); }};

// Real buttons as views use them: titles of different lengths, symbols, a busy button, a disabled one.
const SceneRegistrar buttons{
    u"kit-buttons"_qs, [] {
        auto page = std::make_unique<QWidget>();
        auto* grid = new QGridLayout(page.get());
        grid->setContentsMargins(16, 16, 16, 16);
        grid->setHorizontalSpacing(12);
        grid->setVerticalSpacing(12);
        auto add = [&](int row, int column, ui::TavlenButton* button) {
            grid->addWidget(button, row, column, Qt::AlignLeft | Qt::AlignVCenter);
        };
        add(0, 0, new ui::TavlenButton(u"Create monitor"_qs, {Variant::primary, Size::regular}));
        add(0, 1, new ui::TavlenButton(u"Retry"_qs, {Variant::standard, Size::regular}));
        auto* newMonitor = new ui::TavlenButton(u"New monitor"_qs, {Variant::standard, Size::compact});
        newMonitor->setSymbolName(u"plus"_qs);
        add(0, 2, newMonitor);
        auto* remove = new ui::TavlenButton({Variant::icon, Size::compact});
        remove->setSymbolName(u"minus.circle"_qs);
        remove->setRole(ui::ButtonRole::destructive);
        add(0, 3, remove);
        auto* saving = new ui::TavlenButton(u"Saving…"_qs, {Variant::standard, Size::regular});
        saving->setBusy(true);
        add(1, 0, saving);
        auto* disabled = new ui::TavlenButton(u"Check now"_qs, {Variant::primary, Size::compact});
        disabled->setSymbolName(u"play.fill"_qs);
        disabled->setEnabled(false);
        add(1, 1, disabled);
        auto* stop = new ui::TavlenButton(u"Stop"_qs, {Variant::standard, Size::compact});
        stop->setSymbolName(u"stop.fill"_qs);
        add(1, 2, stop);
        auto* configure = new ui::TavlenButton({Variant::icon, Size::regular});
        configure->setSymbolName(u"gearshape"_qs);
        add(1, 3, configure);
        grid->setColumnStretch(4, 1);
        return page;
    }};

// Every kit symbol with its name, in the text colour and the accent.
const SceneRegistrar symbols{u"kit-symbols"_qs, [] {
                                 auto page = std::make_unique<QWidget>();
                                 auto* grid = new QGridLayout(page.get());
                                 grid->setContentsMargins(12, 12, 12, 12);
                                 QStringList names;
                                 QDirIterator files(u":/icons"_qs);
                                 while (files.hasNext()) {
                                     names.append(files.next().section(u'/', -1).chopped(4));
                                 }
                                 names.sort();
                                 int index = 0;
                                 for (const QString& name : names) {
                                     const int row = index / 3;
                                     const int column = (index % 3) * 3;
                                     auto* plain = new QLabel;
                                     plain->setPixmap(ui::kitIcon(name).pixmap(QSize(16, 16)));
                                     auto* accent = new QLabel;
                                     accent->setPixmap(ui::kitIcon(name, QPalette::Highlight).pixmap(QSize(24, 24)));
                                     auto* label = new QLabel(name);
                                     label->setFont(ui::textStyleFont(ui::TextStyle::caption));
                                     grid->addWidget(plain, row, column);
                                     grid->addWidget(accent, row, column + 1);
                                     grid->addWidget(label, row, column + 2);
                                     ++index;
                                 }
                                 return page;
                             }};

const SceneRegistrar unavailable{
    u"kit-content-unavailable"_qs,
    [] {
        auto view = std::make_unique<ui::ContentUnavailableView>(
            u"exclamationmark.triangle"_qs,
            u"Workspace unavailable"_qs,
            u"The workspace file could not be opened. Check that the disk is not full, then try again."_qs);
        view->addActionWidget(new ui::TavlenButton(u"Retry"_qs, {Variant::standard, Size::regular}));
        return view;
    },
    QSize(420, 300)};

const SceneRegistrar alert{
    u"kit-alert"_qs, [] {
        const ui::AlertContent content{
            u"Discard changes to “Prices”?"_qs,
            u"The steps you changed since the last save will be lost."_qs,
            {{u"Cancel"_qs, ui::AlertButtonRole::cancel, {}}, {u"Discard"_qs, ui::AlertButtonRole::destructive, {}}}};
        return std::unique_ptr<QWidget>(ui::makeAlertBox(content, nullptr));
    }};

const SceneRegistrar popup{
    u"kit-popup"_qs, [] {
        auto popup = std::make_unique<ui::KitPopup>();
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(14, 12, 14, 12);
        auto* title = new QLabel(u"Chrome: Connected"_qs);
        title->setFont(ui::textStyleFont(ui::TextStyle::headline));
        auto* body = new QLabel(u"Tavlen reads pages through your Chrome profile."_qs);
        body->setWordWrap(true);
        layout->addWidget(title);
        layout->addWidget(body);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(new ui::TavlenButton(u"Use this profile"_qs, {Variant::standard, Size::compact}));
        layout->addLayout(row);
        auto* spinnerRow = new QHBoxLayout;
        spinnerRow->addWidget(new ui::ProgressSpinner(ui::ProgressSpinner::Size::mini));
        spinnerRow->addWidget(new ui::ProgressSpinner(ui::ProgressSpinner::Size::small));
        spinnerRow->addWidget(new QLabel(u"Connecting…"_qs));
        spinnerRow->addStretch(1);
        layout->addLayout(spinnerRow);
        popup->setContent(content);
        popup->setSizeRule([](QSize) { return QSize(300, 140); });
        popup->reposition();
        return std::unique_ptr<QWidget>(std::move(popup));
    }};

} // namespace
} // namespace tavlen::screenshots
