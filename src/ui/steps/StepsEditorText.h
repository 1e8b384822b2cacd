#pragma once

#include <QString>

// The texts of the steps editor's views, spelled once.
namespace tavlen::ui::text {

inline QString screenshotAccessibleName()
{
    return QStringLiteral("Full-page screenshot. Drag to select a region; drag its handles to resize. "
                          "Press Escape to cancel a selection.");
}

} // namespace tavlen::ui::text
