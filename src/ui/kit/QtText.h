#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tavlen::ui {

// Text crosses into Qt only in views: UTF-8 std::string outside, QString inside.
QString toQString(std::string_view utf8);
std::string fromQString(const QString& text);

} // namespace tavlen::ui
