#pragma once

#include "BrowserConnectionStatus.h"

#include <QWidget>

class QLabel;

namespace tavlen::ui {

class ProgressSpinner;

// The toolbar button's label: a spinner while connecting, else the status symbol in its colour, then
// "Chrome: " and the status's short text.
class BrowserConnectionLabel : public QWidget
{
    Q_OBJECT

public:
    explicit BrowserConnectionLabel(QWidget* parent = nullptr);

    void setStatus(BrowserConnectionStatus status);

    BrowserConnectionStatus status() const { return m_status; }

    QString text() const;

    // The symbol shown; empty while the spinner is.
    QString symbolName() const { return m_symbolName; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSymbol();

    BrowserConnectionStatus m_status = BrowserConnectionStatus::disconnected;
    QString m_symbolName;
    ProgressSpinner* m_spinner;
    QLabel* m_symbol;
    QLabel* m_text;
};

} // namespace tavlen::ui
