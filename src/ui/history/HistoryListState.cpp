#include "HistoryListState.h"

#include "Formatting.h"
#include "HistoryViewText.h"
#include "MonitorHistory.h"

namespace tavlen::ui {

HistoryListFlags HistoryListFlags::of(const MonitorHistory& model)
{
    return {!model.checks().empty(),
            model.hasLoaded(),
            model.isRefreshing(),
            model.isLoadingOlder(),
            model.hasOlder(),
            model.error().has_value(),
            model.olderError().has_value()};
}

HistoryContent historyContentOf(const HistoryListFlags& flags)
{
    // Rows, or a footer that can bring some, make the list.
    if (flags.hasChecks || flags.hasOlder || flags.hasOlderError) {
        return HistoryContent::list;
    }
    if (flags.isRefreshing || (!flags.hasLoaded && !flags.hasError)) {
        return HistoryContent::loading;
    }
    return flags.hasLoaded ? HistoryContent::empty : HistoryContent::blank;
}

HistoryFooter historyFooterOf(const HistoryListFlags& flags)
{
    if (flags.isLoadingOlder) {
        return HistoryFooter::loadingOlder;
    }
    if (flags.hasOlderError) {
        return HistoryFooter::olderError;
    }
    return flags.hasOlder ? HistoryFooter::loadOlder : HistoryFooter::none;
}

QString deletionMessage(const MonitorCheck& check)
{
    return text::deleteCheckMessagePrefix + formatMoment(check.startedAtMilliseconds) + text::deleteCheckMessageSuffix;
}

AlertContent deletionAlert(const MonitorCheck& check, std::function<void()> confirm)
{
    return {text::deleteCheckTitle,
            deletionMessage(check),
            {{text::cancel, AlertButtonRole::cancel, {}},
             {text::deleteCheck, AlertButtonRole::destructive, std::move(confirm)}}};
}

} // namespace tavlen::ui
