#include "FakeExtension.h"

#include "Base64.h"
#include "Png.h"

#include <cmath>

namespace tavlen::test {

BrowserSnapshot
fakeSnapshot(const BrowserCaptureSettings& viewport, const std::string& url, const std::string& snapshotID)
{
    const auto width = static_cast<double>(viewport.width);
    const auto height = static_cast<double>(viewport.height);
    RgbaImage image;
    image.width = static_cast<std::uint32_t>(std::lround(width * viewport.deviceScaleFactor));
    image.height = static_cast<std::uint32_t>(std::lround(height * viewport.deviceScaleFactor));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height * 4, 0xEE);

    BrowserSnapshot snapshot;
    snapshot.url = url;
    snapshot.geometry = {width, height, 0, 0, 0, 0, viewport.mobile ? viewport.deviceScaleFactor : 1, 1};
    snapshot.contentRect = {0, 0, width, height};
    snapshot.imageWidth = image.width;
    snapshot.imageHeight = image.height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = snapshotID;
    snapshot.capturedAt = "2026-03-01T10:00:00.300Z";

    BrowserPageTree::Node page;
    page.id = "n1";
    page.kind = "element";
    page.frameId = "main";
    page.bounds = snapshot.contentRect;
    page.visibility = {true, true, std::nullopt, "none", "none"};
    page.source = "dom";
    page.role = "document";
    snapshot.pageTree.snapshotId = snapshotID;
    snapshot.pageTree.startedAt = "2026-03-01T10:00:00.000Z";
    snapshot.pageTree.finishedAt = "2026-03-01T10:00:00.250Z";
    snapshot.pageTree.status = "complete";
    snapshot.pageTree.nodes = {page};
    return snapshot;
}

BrowserStatus fakeStatus(const std::string& state, const std::optional<std::string>& sessionID)
{
    return BrowserStatus{state, sessionID, false, 20, std::nullopt, std::nullopt};
}

std::optional<BrowserResponse> FakeExtension::answer(const BrowserMessage& message)
{
    const std::lock_guard guard(m_mutex);
    if (const auto* cancel = std::get_if<BrowserMessage::Cancel>(&message.payload)) {
        m_status = fakeStatus("idle");
        return BrowserResponse{cancel->requestID, m_status, true, std::nullopt, std::nullopt};
    }
    const auto* request = std::get_if<BrowserMessage::Request>(&message.payload);
    if (!request) {
        return std::nullopt;
    }
    BrowserResponse response{request->request.requestID, m_status, true, std::nullopt, std::nullopt};
    switch (request->request.command) {
    case BrowserCommand::status:
        break;
    case BrowserCommand::start:
        m_status = fakeStatus("active", "session-" + std::to_string(++m_sessions));
        m_viewport = request->request.viewport.value_or(m_viewport);
        m_url = request->request.url.value_or("");
        response.status = m_status;
        break;
    case BrowserCommand::capturePage:
        response.snapshot = fakeSnapshot(m_viewport, m_url, "snapshot-" + std::to_string(m_sessions));
        break;
    }
    return response;
}

FakeChrome::Responder FakeExtension::responder()
{
    return [this](const BrowserMessage& message) { return answer(message); };
}

} // namespace tavlen::test
