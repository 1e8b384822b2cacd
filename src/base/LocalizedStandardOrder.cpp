#include "LocalizedStandardOrder.h"

#include "UserCollator.h"

#include <unicode/coll.h>

namespace tavlen {

LocalizedStandardOrder::LocalizedStandardOrder()
    : m_collator(makeUserCollator())
{
    if (m_collator) {
        UErrorCode status = U_ZERO_ERROR;
        m_collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        if (U_FAILURE(status)) {
            m_collator.reset();
        }
    }
}

LocalizedStandardOrder::~LocalizedStandardOrder() = default;

int LocalizedStandardOrder::compare(std::string_view a, std::string_view b) const
{
    return collateUTF8(m_collator.get(), a, b);
}

} // namespace tavlen
