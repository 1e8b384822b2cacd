#pragma once

#include "PopupPlacement.h"

#include <QFrame>
#include <QPointer>

#include <functional>

namespace tavlen::ui {

// The one popup of the application: a framed window anchored below or above a widget.
// The interactive kind takes the keyboard and closes on Escape and on a click outside it; the hover kind never
// takes focus or clicks and stays until its owner hides it (hover cards, tooltips with content).
class KitPopup : public QFrame
{
    Q_OBJECT

public:
    enum class Kind
    {
        interactive,
        hover
    };
    // The popup's size from its content's size hint; the default takes the hint as it is.
    using SizeRule = std::function<QSize(QSize contentHint)>;

    explicit KitPopup(Kind kind = Kind::interactive, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }

    QWidget* content() const { return m_content; }

    QWidget* anchor() const { return m_anchor; }

    // The popup takes ownership of the content.
    void setContent(QWidget* content);
    void setSizeRule(SizeRule rule);
    // Sizes the popup by its rule and shows it next to the anchor.
    void showAt(QWidget* anchor, PopupEdge preferred = PopupEdge::below);
    // Places an already shown popup again (after its content or the anchor moved).
    void reposition();

Q_SIGNALS:
    // The popup was hidden, whatever closed it.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    QWidget* m_content = nullptr;
    QPointer<QWidget> m_anchor;
    PopupEdge m_edge = PopupEdge::below;
    SizeRule m_sizeRule;
};

} // namespace tavlen::ui
