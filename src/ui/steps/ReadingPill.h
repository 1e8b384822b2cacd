#pragma once

#include "Reading.h"

#include <QWidget>

class QLabel;

namespace tavlen::ui {

// One value read: "Name:" in medium weight and the secondary colour, then the value (selectable), on one line in
// the callout font, on a green capsule with a green outline.
class ReadingPill : public QWidget
{
    Q_OBJECT

public:
    explicit ReadingPill(const Reading& reading, QWidget* parent = nullptr);

    QLabel* nameLabel() const { return m_name; }

    QLabel* valueLabel() const { return m_value; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    QLabel* m_name;
    QLabel* m_value;
};

} // namespace tavlen::ui
