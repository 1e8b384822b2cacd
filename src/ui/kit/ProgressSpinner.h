#pragma once

#include <QColor>
#include <QWidget>

class QVariantAnimation;

namespace tavlen::ui {

// An indeterminate spinner: a turning arc. It turns only while visible.
class ProgressSpinner : public QWidget
{
    Q_OBJECT

public:
    enum class Size
    {
        mini,   // 12 pixels, inside buttons and rows
        small,  // 16 pixels
        regular // 32 pixels
    };

    explicit ProgressSpinner(Size size = Size::small, QWidget* parent = nullptr);

    // The arc's colour; invalid (the default) means the palette's text colour.
    void setColor(const QColor& color);
    bool isSpinning() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Size m_size;
    QColor m_color;
    double m_angle = 0;
    QVariantAnimation* m_turn;
};

} // namespace tavlen::ui
