#pragma once

#include <QWidget>

namespace tavlen::ui {

// Takes a widget off screen and out of its parent at once and deletes it from the event loop: a button may be
// replaced from its own clicked signal, which is still running when the replacement is made.
inline void retireWidget(QWidget* widget)
{
    if (widget) {
        widget->hide();
        widget->setParent(nullptr);
        widget->deleteLater();
    }
}

} // namespace tavlen::ui
