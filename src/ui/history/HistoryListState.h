#pragma once

#include "AlertPresenter.h"
#include "MonitorCheck.h"

#include <QString>

#include <functional>

namespace tavlen {
class MonitorHistory;
}

// What the History tab shows for the model's flags, as plain functions.
namespace tavlen::ui {

struct HistoryListFlags
{
    bool hasChecks = false;
    bool hasLoaded = false;
    bool isRefreshing = false;
    bool isLoadingOlder = false;
    bool hasOlder = false;
    bool hasError = false;
    bool hasOlderError = false;

    static HistoryListFlags of(const MonitorHistory& model);
};

enum class HistoryContent
{
    loading, // "Loading checks…"
    empty,   // "No checks yet"
    blank,   // never loaded and failed: the error banner alone
    list     // the rows and the footer (which may be all there is)
};

HistoryContent historyContentOf(const HistoryListFlags& flags);

enum class HistoryFooter
{
    none,
    loadingOlder,
    olderError,
    loadOlder
};

HistoryFooter historyFooterOf(const HistoryListFlags& flags);

// "Permanently delete the check from <abbreviated date, standard time> and its saved readings? …"
QString deletionMessage(const MonitorCheck& check);

// The prompt before a check is deleted: Cancel does nothing more, Delete runs confirm.
AlertContent deletionAlert(const MonitorCheck& check, std::function<void()> confirm);

} // namespace tavlen::ui
