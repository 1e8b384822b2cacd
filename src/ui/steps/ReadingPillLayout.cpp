#include "ReadingPillLayout.h"

#include "ReadingPillArrangement.h"

#include <QWidget>

#include <algorithm>
#include <optional>

namespace tavlen::ui {
namespace {

// Hidden widgets take no place: they are arranged at zero size, which the flow skips over like any other pill.
std::vector<QSize> visibleSizes(const std::vector<QLayoutItem*>& items)
{
    std::vector<QSize> sizes;
    for (QLayoutItem* item : items) {
        if (!item->isEmpty()) {
            sizes.push_back(item->sizeHint());
        }
    }
    return sizes;
}

} // namespace

ReadingPillLayout::ReadingPillLayout(int spacing, QWidget* parent)
    : QLayout(parent)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

ReadingPillLayout::~ReadingPillLayout()
{
    for (QLayoutItem* item : m_items) {
        delete item;
    }
}

void ReadingPillLayout::addItem(QLayoutItem* item)
{
    m_items.push_back(item);
}

int ReadingPillLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* ReadingPillLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? m_items[std::size_t(index)] : nullptr;
}

QLayoutItem* ReadingPillLayout::takeAt(int index)
{
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem* item = m_items[std::size_t(index)];
    m_items.erase(m_items.begin() + index);
    return item;
}

int ReadingPillLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int inner = std::max(0, width - margins.left() - margins.right());
    const QSize size = arrangeReadingPills(visibleSizes(m_items), inner, spacing()).size;
    return size.height() + margins.top() + margins.bottom();
}

QSize ReadingPillLayout::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const QSize size = arrangeReadingPills(visibleSizes(m_items), std::nullopt, spacing()).size;
    return size.grownBy(margins);
}

QSize ReadingPillLayout::minimumSize() const
{
    // Pills are never shrunk: a pill wider than the room keeps its row and is cut by what encloses it, so the
    // layout asks for no width of its own.
    const QMargins margins = contentsMargins();
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void ReadingPillLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    const ReadingPillArrangement arrangement = arrangeReadingPills(visibleSizes(m_items), inner.width(), spacing());
    std::size_t next = 0;
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        if (m_items[index]->isEmpty()) {
            continue;
        }
        m_items[index]->setGeometry(arrangement.frames[next++].translated(inner.topLeft()));
    }
}

} // namespace tavlen::ui
