#include "BrowserWireReader.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserPageTree.h"
#include "BrowserWireValidator.h"
#include "TextScan.h"
#include "WireCoding.h"
#include "WireSnapshotParts.h"

#include <algorithm>
#include <cstdint>

namespace tavlen {

namespace {

// 44 characters of base64 give 33 bytes: enough for the signature, the IHDR header and the size.
constexpr std::size_t imageHeaderCharacters = 44;
constexpr unsigned char pngHeader[16] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52};

std::uint32_t bigEndian32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

// The first bytes of the image must be a PNG signature and IHDR header carrying the declared size. Only the start
// of the text is decoded; the image is read where it lies.
bool imageHeaderMatches(std::string_view imageBase64, const BrowserSnapshot& snapshot)
{
    const auto bytes = base64Decode(imageBase64.substr(0, imageHeaderCharacters));
    if (!bytes || bytes->size() < 24 || bytes->compare(0, 16, reinterpret_cast<const char*>(pngHeader), 16) != 0) {
        return false;
    }
    return bigEndian32(*bytes, 16) == snapshot.imageWidth && bigEndian32(*bytes, 20) == snapshot.imageHeight;
}

// The most structure ("[", "{", ",", ":" outside strings) a frame may hold. Arrays appear only in a page tree, whose
// densest members, arrays of texts of one character or more, take four bytes of its capped encoding for each comma;
// the rest of any message fits in a request's size. A frame with more, which only naming keys again could make
// acceptable, is refused before a tape is built for it: parsing costs up to 24 bytes for each of these characters,
// and a frame of nothing else would cost twelve times its size.
std::size_t maximumStructure(const BrowserLimits& limits)
{
    return BrowserPageTree::maximumEncodedBytes / 2 +
           static_cast<std::size_t>(std::max<std::int64_t>(limits.requestBytes, 0));
}

void checkRequestRules(const BrowserMessage::Request& message)
{
    const bool bound = message.executionID.has_value();
    const bool wantsBinding = message.request.command != BrowserCommand::status;
    if (bound != wantsBinding) {
        throw BridgeFailure::invalidMessage();
    }
    if (message.request.viewport) {
        message.request.viewport->validate();
    }
}

void checkSnapshotRules(const BrowserWireValidator& validator,
                        const BrowserSnapshot& snapshot,
                        const WireSnapshotParts& parts,
                        const WireSchema::PageTreeVerdicts& verdicts)
{
    validator.checkPageTree(*parts.pageTree, parts.pageTreeLength, &verdicts);
    snapshot.pageTree.checkRules(snapshot.snapshotID);
    if (!imageHeaderMatches(parts.imageBase64, snapshot)) {
        throw BridgeFailure::invalidMessage();
    }
}

} // namespace

BrowserMessage BrowserWireReader::decode(const BrowserWireValidator& validator, const BrowserFrame& frame)
{
    return read(validator, frame, true);
}

BrowserMessage::Kind BrowserWireReader::check(const BrowserWireValidator& validator, const BrowserFrame& frame)
{
    return read(validator, frame, false).kind();
}

BrowserMessage BrowserWireReader::read(const BrowserWireValidator& validator, const BrowserFrame& frame, bool keepImage)
{
    const auto size = static_cast<std::int64_t>(frame.size());
    const BrowserLimits& limits = validator.limits();
    if (size > limits.resultBytes) {
        throw BridgeFailure::invalidMessage();
    }
    const std::size_t structureLimit = maximumStructure(limits);
    // A frame of fewer bytes cannot hold more: a page-tree frame, made of short strings, is not scanned.
    if (frame.size() > structureLimit && jsonStructureCount(frame.bytes(), structureLimit) > structureLimit) {
        throw BridgeFailure::invalidMessage();
    }
    const auto root = m_parser.parse(frame);
    if (!root || !(root->is_object() || root->is_array())) {
        throw WireDecodingError("The message is not a JSON object or array.");
    }
    WireSchema::PageTreeVerdicts verdicts;
    if (!validator.wireSchema().accepts(*root, validator.wireSchema().root(), &verdicts)) {
        throw BridgeFailure::invalidMessage();
    }
    WireSnapshotParts parts;
    BrowserMessage message = BrowserMessage::decode(*root, validator.protocolVersion(), parts);
    if (message.kind() != BrowserMessage::Kind::response && size > limits.requestBytes) {
        throw BridgeFailure::invalidMessage();
    }
    if (auto* request = std::get_if<BrowserMessage::Request>(&message.payload)) {
        checkRequestRules(*request);
    } else if (auto* response = std::get_if<BrowserMessage::Response>(&message.payload)) {
        if (auto& snapshot = response->response.snapshot) {
            checkSnapshotRules(validator, *snapshot, parts, verdicts);
            if (keepImage) {
                snapshot->imageBase64.assign(parts.imageBase64); // the one copy of the image
            }
        }
    }
    return message;
}

} // namespace tavlen
