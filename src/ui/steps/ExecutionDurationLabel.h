#pragma once

#include <QFont>
#include <QWidget>

#include <chrono>

class QLabel;

namespace tavlen::ui {

// A running time with the clock symbol, in the secondary colour; spoken and explained as "Running time: …".
class ExecutionDurationLabel : public QWidget
{
    Q_OBJECT

public:
    ExecutionDurationLabel(std::chrono::nanoseconds duration, const QFont& font, QWidget* parent = nullptr);

    QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    QLabel* m_symbol;
    QLabel* m_text;
};

} // namespace tavlen::ui
