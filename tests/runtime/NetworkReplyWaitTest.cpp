#include "NetworkReplyWait.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "EventLoopTest.h"
#include "SignalWait.h"
#include "TimedOutError.h"
#include "Timeout.h"
#include "VirtualTime.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stop_token>
#include <thread>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

// An HTTP server on 127.0.0.1 that either answers every request at once or never answers.
class LoopbackServer
{
public:
    explicit LoopbackServer(bool answers)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, answers] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, answers] {
                    m_received += socket->readAll();
                    if (!m_received.contains("\r\n\r\n")) {
                        return;
                    }
                    m_requestConnection = socket;
                    if (answers) {
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
                    }
                });
            }
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort())); }

    // The server's end of the connection that carried a whole request, once one has.
    QTcpSocket* requestConnection() const { return m_requestConnection; }

private:
    QTcpServer m_server;
    QByteArray m_received;
    QTcpSocket* m_requestConnection = nullptr;
};

class NetworkReplyWaitTest : public test::EventLoopTest
{
protected:
    NetworkReplyWaitTest() { m_network.setProxy(QNetworkProxy::NoProxy); }

    QNetworkReply* get(const LoopbackServer& server) { return m_network.get(QNetworkRequest(server.url())); }

    QNetworkAccessManager m_network;
};

TEST_F(NetworkReplyWaitTest, answeredRequest_endsWhenTheReplyHasFinished)
{
    LoopbackServer server(true);
    QNetworkReply* reply = get(server);
    test::waitBounded(waitForFinished(*reply, {}));
    EXPECT_TRUE(reply->isFinished());
    EXPECT_EQ(reply->error(), QNetworkReply::NoError);
    EXPECT_EQ(reply->readAll(), "ok");
    // A finished reply is not waited for again.
    QCoro::Task<void> again = waitForFinished(*reply, {});
    EXPECT_TRUE(again.isReady());
    reply->deleteLater();
}

TEST_F(NetworkReplyWaitTest, stop_abortsTheReplyBeforeTheWaiterContinues_andClosesTheConnection)
{
    struct Row
    {
        const char* name;
        bool fromAnotherThread;
    };

    const Row rows[] = {
        {"a stop on the waiter's thread", false},
        {"a stop from another thread", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server(false);
        QNetworkReply* reply = get(server);
        std::stop_source source;
        bool abortedWhenCancelled = false;
        auto waiter = [&]() -> QCoro::Task<void> {
            try {
                co_await waitForFinished(*reply, source.get_token());
            } catch (const CancelledError&) {
                abortedWhenCancelled = reply->isFinished() && reply->error() == QNetworkReply::OperationCanceledError;
                throw;
            }
        };
        QCoro::Task<void> waiting = waiter();
        // Stopped once the request has arrived, so the abort has a request in flight and a connection to close.
        ASSERT_TRUE(test::waitUntil([&server] { return server.requestConnection() != nullptr; }));
        QTcpSocket* const connection = server.requestConnection();
        if (row.fromAnotherThread) {
            std::thread([&source] { source.request_stop(); }).join();
        } else {
            source.request_stop();
        }
        EXPECT_THROW(test::waitBounded(std::move(waiting)), CancelledError);
        EXPECT_TRUE(abortedWhenCancelled);
        if (connection->state() != QAbstractSocket::UnconnectedState) {
            EXPECT_NO_THROW(test::waitBounded(waitForSignal(connection, &QTcpSocket::disconnected, {})));
        }
        reply->deleteLater();
    }
}

TEST_F(NetworkReplyWaitTest, timeLimit_abortsTheReplyAndTimesOut)
{
    test::VirtualTime time;
    LoopbackServer server(false);
    QNetworkReply* reply = get(server);
    auto body = [reply](std::stop_token limit) { return waitForFinished(*reply, limit); };
    QCoro::Task<void> limited = withTimeout(60s, {}, body, time);
    time.advance(60s);
    EXPECT_THROW(test::waitBounded(std::move(limited)), TimedOutError);
    EXPECT_EQ(reply->error(), QNetworkReply::OperationCanceledError);
    reply->deleteLater();
}

TEST_F(NetworkReplyWaitTest, replyDestroyedWhileWaiting_throwsCancelledError)
{
    LoopbackServer server(false);
    QNetworkReply* reply = get(server);
    QCoro::Task<void> waiting = waitForFinished(*reply, {});
    delete reply; // in the test body, not inside one of its signals
    EXPECT_THROW(test::waitBounded(std::move(waiting)), CancelledError);
}

} // namespace
} // namespace tavlen
