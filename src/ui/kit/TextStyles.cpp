#include "TextStyles.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace tavlen::ui {

QFont systemFont(double points, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points))));
    font.setWeight(weight);
    return font;
}

QFont textStyleFont(TextStyle style)
{
    switch (style) {
    case TextStyle::body:
        return systemFont(13);
    case TextStyle::callout:
        return systemFont(12);
    case TextStyle::caption:
        return systemFont(10);
    case TextStyle::caption2: {
        QFont font = systemFont(10);
        font.setLetterSpacing(QFont::PercentageSpacing, 102);
        return font;
    }
    case TextStyle::headline:
        return systemFont(13, QFont::DemiBold);
    case TextStyle::subheadline:
        return systemFont(11);
    case TextStyle::title2:
        return systemFont(17);
    }
    return systemFont(13);
}

} // namespace tavlen::ui
