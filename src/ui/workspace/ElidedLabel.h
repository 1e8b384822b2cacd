#pragma once

#include <QWidget>

namespace tavlen::ui {

// One line of text cut with "…" to the width it is given; the whole text stays its accessible name and, when
// asked for, its tooltip.
class ElidedLabel : public QWidget
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }

    // The text as painted at the current width.
    QString shownText() const;

    void setText(const QString& text);
    // When set, the tooltip follows the text.
    void setTextIsTooltip(bool isTooltip);
    // Drawn in the palette's secondary text colour.
    void setSecondary(bool isSecondary);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    bool m_isSecondary = false;
    bool m_textIsTooltip = false;
};

} // namespace tavlen::ui
