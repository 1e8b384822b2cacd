#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

namespace tavlen::ui {

// Tavlen's own SVG symbols (resources/icons, compiled in), named like "exclamationmark.triangle". Each is drawn
// on a 16×16 grid in black and tinted when painted, so one file serves every colour, size and scale.

// True when a symbol of that name exists.
bool hasKitIcon(const QString& symbolName);

// An icon tinted with a role of the application palette, looked up each time it is painted (so it follows a
// change of appearance). Disabled mode paints at reduced opacity. An unknown name gives a null icon.
QIcon kitIcon(const QString& symbolName, QPalette::ColorRole role = QPalette::WindowText);
// An icon in one fixed colour (the fixed kit colours, the accent of a given palette).
QIcon kitIcon(const QString& symbolName, const QColor& color);

// The symbol rendered at a logical size and device pixel ratio in a colour; null when the name is unknown.
QPixmap kitIconPixmap(const QString& symbolName, const QColor& color, QSize logicalSize, qreal devicePixelRatio);

} // namespace tavlen::ui
