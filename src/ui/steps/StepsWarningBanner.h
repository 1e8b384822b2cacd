#pragma once

#include <QWidget>

class QLabel;

namespace tavlen::ui {

class TavlenButton;

// A warning across the Steps tab: the triangle symbol and a message in the callout font, with one recovery
// button under it, everything at the leading edge.
class StepsWarningBanner : public QWidget
{
    Q_OBJECT

public:
    explicit StepsWarningBanner(QWidget* parent = nullptr);

    QString message() const;

    TavlenButton* button() const { return m_button; }

    void setMessage(const QString& message);

private:
    QLabel* m_message;
    TavlenButton* m_button;
};

} // namespace tavlen::ui
