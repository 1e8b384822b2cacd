#pragma once

#include "CancelledError.h"

#include <QCoroTask>

#include <stop_token>

class QNetworkReply;

namespace tavlen {

// Waits until reply has finished, successfully or not: the caller then reads reply.error() and the body. A stop
// request on token aborts the reply at once (before the waiter continues) and throws CancelledError; so does the
// reply's destruction before it finished. Await it on the reply's thread. The waiter resumes through its loop,
// never inside the reply's own signals, so it may release the reply (deleteLater, never delete).
// Throws std::logic_error on a thread without a Qt event loop.
//
//     QNetworkReply* reply = m_network.post(request, body);
//     co_await withTimeout(60s, stop, [reply](std::stop_token limit) { return waitForFinished(*reply, limit); });
//     if (reply->error() != QNetworkReply::NoError) { ... }
QCoro::Task<void> waitForFinished(QNetworkReply& reply, std::stop_token token);

} // namespace tavlen
