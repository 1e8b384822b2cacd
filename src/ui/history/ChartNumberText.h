#pragma once

#include <string>

namespace tavlen::ui {

// A value label of the number lane's y axis: compact notation of the user's locale with 1 to 4 significant
// digits ("1.2K", "950", "0.25").
std::string chartTickLabel(double value);

// The hovered value above the number lane, always in en_US: the shortest digits that read back the same value,
// at most 17 significant, grouped ("1,234.5").
std::string chartValueLabel(double value);

} // namespace tavlen::ui
