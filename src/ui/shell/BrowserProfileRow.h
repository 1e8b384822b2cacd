#pragma once

#include "BrowserProfile.h"

#include <QWidget>

#include <functional>

namespace tavlen::ui {

class TavlenButton;

// One connected Chrome profile: its name over the start of its id, and "Selected" or "Use this profile".
class BrowserProfileRow : public QWidget
{
    Q_OBJECT

public:
    // choose runs when "Use this profile" is clicked.
    BrowserProfileRow(const BrowserProfile& profile,
                      bool canSelect,
                      std::function<void()> choose,
                      QWidget* parent = nullptr);

    // "Use this profile"; null for the selected profile.
    TavlenButton* useButton() const { return m_use; }

private:
    TavlenButton* m_use = nullptr;
};

} // namespace tavlen::ui
