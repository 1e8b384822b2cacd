#pragma once

#include <QLayout>

#include <vector>

namespace tavlen::ui {

// Lays its widgets out as reading pills: in rows that wrap at the width it is given (arrangeReadingPills), each
// widget at its size hint. Its height depends on its width. Nothing is cached: every query arranges again.
class ReadingPillLayout : public QLayout
{
public:
    explicit ReadingPillLayout(int spacing, QWidget* parent = nullptr);
    ~ReadingPillLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }

    bool hasHeightForWidth() const override { return true; }

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    std::vector<QLayoutItem*> m_items;
};

} // namespace tavlen::ui
