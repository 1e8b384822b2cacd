#pragma once

#include "TavlenButtonStyle.h"

#include <QAbstractButton>

class QVariantAnimation;

namespace tavlen::ui {

class ProgressSpinner;
struct TavlenButtonLabel;

// A button painted in TavlenButtonStyle: an optional symbol (tinted with the label colour) and title in one row,
// 6 pixels apart, centred in a capsule. The whole rectangle takes clicks. Hover changes of an enabled button fade
// over 0.1 s with an ease-out curve; press, focus and window changes show at once.
class TavlenButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TavlenButton(TavlenButtonStyle style, QWidget* parent = nullptr);
    TavlenButton(const QString& title, TavlenButtonStyle style, QWidget* parent = nullptr);
    ~TavlenButton() override;

    TavlenButtonStyle buttonStyle() const { return m_style; }

    ButtonRole role() const { return m_role; }

    QString symbolName() const { return m_symbolName; }

    bool isBusy() const;
    // The state the look is computed from right now.
    TavlenButtonState currentState() const;
    // The look being painted (part way through a hover fade while one runs).
    TavlenButtonAppearance currentAppearance() const;

    void setButtonStyle(TavlenButtonStyle style);
    void setRole(ButtonRole role);
    // A kit symbol shown before the title; an empty name shows none. Takes the place of QAbstractButton's icon.
    void setSymbolName(const QString& symbolName);
    // While busy, a spinner takes the symbol's place (the caller changes the title to one ending in "…").
    void setBusy(bool busy);
    // Qt has no system setting for increased contrast; screenshots and tests set it.
    void setContrast(Contrast contrast);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void setHovered(bool hovered);
    void updateHoverTarget();
    TavlenButtonLabel label() const;

    TavlenButtonStyle m_style;
    ButtonRole m_role = ButtonRole::none;
    Contrast m_contrast = Contrast::standard;
    QString m_symbolName;
    bool m_hovered = false;
    double m_hoverProgress = 0; // 0 = not (hovered and enabled), 1 = hovered and enabled
    QVariantAnimation* m_hoverAnimation;
    ProgressSpinner* m_spinner = nullptr;
};

} // namespace tavlen::ui
