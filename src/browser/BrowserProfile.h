#pragma once

#include <string>

namespace tavlen {

// One connected Chrome profile, as the Chrome connection views list it; identified by id.
struct BrowserProfile
{
    std::string id;           // the profile identity the extension announced
    std::string profileName;  // the name shown to the user
    bool selected = false;    // id equals the selected profile when the list was built
    std::string version;      // the extension's version
    std::string connectionID; // the connection the profile speaks through

    // All five fields equal, texts by canonical equivalence.
    friend bool operator==(const BrowserProfile& a, const BrowserProfile& b);
};

} // namespace tavlen
