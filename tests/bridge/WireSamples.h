#pragma once

#include "BrowserMessage.h"
#include "BrowserSnapshot.h"

#include <string>
#include <vector>

namespace tavlen::test {

// Well-formed values of every wire record, built the way Tavlen and the extension build them.
// Linking this file points the resource lookup at the built bundle for the whole test program.

inline constexpr const char* connectionID = "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C";
inline constexpr const char* executionID = "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D";
inline constexpr const char* requestID = "0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C";

// The viewport the sample snapshot keeps: 320 × 200 CSS pixels at scale 2, page 320 × 600.
BrowserCaptureSettings sampleCaptureSettings();
// A PNG whose header declares the given size (a real, tiny image when both are small).
std::string pngBytes(std::uint32_t width, std::uint32_t height);
BrowserPageTree samplePageTree(const std::string& snapshotID = "snapshot-1");
BrowserSnapshot sampleSnapshot();
BrowserStatus sampleStatus();

struct NamedMessage
{
    std::string name;
    BrowserMessage message;
};

// One or more messages of each of the ten kinds, with and without their optional members.
std::vector<NamedMessage> sampleMessages();

} // namespace tavlen::test
