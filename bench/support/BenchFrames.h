#pragma once

#include <cstddef>
#include <string>

namespace tavlen::bench {

// Frame bodies the bridge benchmarks share, each built once per process. Building them reads the bundle's
// resources, so the bundle directory is set first.

// A captured page of about 16 MiB: a 2048 × 1536 PNG of random pixels (it does not compress), no page tree.
const std::string& snapshotFrameBody();

// A capture of a small page with a page tree of 5,000 nodes (texts, boxes, fragments, states, table cells).
const std::string& pageTreeFrameBody();

// A hostile frame of `bytes` bytes: one array of empty objects, the most values per byte JSON allows.
std::string emptyObjectsFrameBody(std::size_t bytes);

// A hostile frame of `bytes` bytes: one array of zeros, the most numbers per byte.
std::string zerosFrameBody(std::size_t bytes);

// A hostile frame of about `bytes` bytes: one object whose undeclared keys each come twice.
std::string repeatedKeysFrameBody(std::size_t bytes);

// The frame on the wire: its 4-byte length, then the body.
std::string framed(const std::string& body);

} // namespace tavlen::bench
