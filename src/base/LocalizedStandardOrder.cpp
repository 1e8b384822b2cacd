#include "LocalizedStandardOrder.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

namespace tavlen {

LocalizedStandardOrder::LocalizedStandardOrder()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale& locale = icu::Locale::getDefault();
    // The C locale names no language; the root collation is the neutral order for it.
    const bool isPosix = std::string_view(locale.getVariant()) == "POSIX";
    m_collator.reset(icu::Collator::createInstance(isPosix ? icu::Locale::getRoot() : locale, status));
    if (U_FAILURE(status)) {
        m_collator.reset();
        return;
    }
    m_collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    if (U_FAILURE(status)) {
        m_collator.reset();
    }
}

LocalizedStandardOrder::~LocalizedStandardOrder() = default;

int LocalizedStandardOrder::compare(std::string_view a, std::string_view b) const
{
    if (m_collator) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result =
            m_collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                    icu::StringPiece(b.data(), static_cast<int32_t>(b.size())),
                                    status);
        if (U_SUCCESS(status)) {
            return static_cast<int>(result);
        }
    }
    return a.compare(b);
}

} // namespace tavlen
