#include "OpenURL.h"

#include "Url.h"

namespace tavlen {

bool isOpenURL(std::string_view url)
{
    const auto parts = parseURLComponents(url);
    return parts && parts->scheme == "tavlen" && parts->host == "open" && !parts->query && !parts->fragment;
}

} // namespace tavlen
