#pragma once

#include <QWidget>

class QLabel;
class QHBoxLayout;

namespace tavlen::ui {

// A placeholder for content that is not there: a large symbol, a title and an optional description, centred,
// with room for action buttons below.
class ContentUnavailableView : public QWidget
{
    Q_OBJECT

public:
    ContentUnavailableView(const QString& symbolName,
                           const QString& title,
                           const QString& description = {},
                           QWidget* parent = nullptr);

    QString title() const;
    QString description() const;

    void setSymbolName(const QString& symbolName);
    void setTitle(const QString& title);
    // An empty description hides it.
    void setDescription(const QString& description);
    // Buttons shown in a row under the texts; the view takes ownership.
    void addActionWidget(QWidget* widget);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSymbol();

    QString m_symbolName;
    QLabel* m_symbol;
    QLabel* m_title;
    QLabel* m_description;
    QHBoxLayout* m_actions;
};

} // namespace tavlen::ui
