#include "NetworkReplyWait.h"

#include "SignalWait.h"

#include <QNetworkReply>
#include <QPointer>

#include <exception>

namespace tavlen {

QCoro::Task<void> waitForFinished(QNetworkReply& reply, std::stop_token token)
{
    const QPointer<QNetworkReply> guard(&reply);
    if (!reply.isFinished() && !token.stop_requested()) {
        std::exception_ptr failure;
        try {
            auto finished = waitForSignal(&reply, &QNetworkReply::finished, token);
            co_await std::move(finished);
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure && !token.stop_requested()) {
            std::rethrow_exception(failure);
        }
    }
    if (token.stop_requested()) {
        // Here, on the reply's thread and outside any of its signals, rather than in the stop callback, which may
        // run on any thread.
        if (guard && !guard->isFinished()) {
            guard->abort();
        }
        throw CancelledError();
    }
}

} // namespace tavlen
