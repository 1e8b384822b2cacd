#include "UserCollator.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

namespace tavlen {

std::unique_ptr<icu::Collator> makeUserCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale& locale = icu::Locale::getDefault();
    const bool isPosix = std::string_view(locale.getVariant()) == "POSIX";
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(isPosix ? icu::Locale::getRoot() : locale, status));
    return U_FAILURE(status) ? nullptr : std::move(collator);
}

int collateUTF8(const icu::Collator* collator, std::string_view a, std::string_view b)
{
    if (collator) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result =
            collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                  icu::StringPiece(b.data(), static_cast<int32_t>(b.size())),
                                  status);
        if (U_SUCCESS(status)) {
            return static_cast<int>(result);
        }
    }
    return a.compare(b);
}

} // namespace tavlen
