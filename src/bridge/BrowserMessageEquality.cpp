#include "BrowserMessage.h"
#include "WireCoding.h"

// Equality of the message kinds: member by member, texts by canonical equivalence like every other record.

namespace tavlen {

using wire::sameText;

bool operator==(const BrowserMessage::Hello& a, const BrowserMessage::Hello& b)
{
    return sameText(a.profileID, b.profileID) && sameText(a.profileName, b.profileName) &&
           sameText(a.version, b.version);
}

bool operator==(const BrowserMessage::Welcome& a, const BrowserMessage::Welcome& b)
{
    return sameText(a.connectionID, b.connectionID) && sameText(a.version, b.version) && a.selected == b.selected;
}

bool operator==(const BrowserMessage::Selection& a, const BrowserMessage::Selection& b)
{
    return sameText(a.connectionID, b.connectionID) && a.selected == b.selected;
}

bool operator==(const BrowserMessage::Ping& a, const BrowserMessage::Ping& b)
{
    return sameText(a.connectionID, b.connectionID);
}

bool operator==(const BrowserMessage::Pong& a, const BrowserMessage::Pong& b)
{
    return sameText(a.connectionID, b.connectionID);
}

bool operator==(const BrowserMessage::Request& a, const BrowserMessage::Request& b)
{
    return sameText(a.connectionID, b.connectionID) && sameText(a.executionID, b.executionID) &&
           a.sequence == b.sequence && a.request == b.request;
}

bool operator==(const BrowserMessage::Cancel& a, const BrowserMessage::Cancel& b)
{
    return sameText(a.connectionID, b.connectionID) && sameText(a.executionID, b.executionID) &&
           a.sequence == b.sequence && sameText(a.requestID, b.requestID);
}

bool operator==(const BrowserMessage::Response& a, const BrowserMessage::Response& b)
{
    return sameText(a.connectionID, b.connectionID) && sameText(a.executionID, b.executionID) &&
           a.response == b.response;
}

bool operator==(const BrowserMessage::Status& a, const BrowserMessage::Status& b)
{
    return sameText(a.connectionID, b.connectionID) && sameText(a.executionID, b.executionID) && a.status == b.status;
}

bool operator==(const BrowserMessage::Unavailable& a, const BrowserMessage::Unavailable& b)
{
    return sameText(a.code, b.code) && sameText(a.message, b.message);
}

} // namespace tavlen
