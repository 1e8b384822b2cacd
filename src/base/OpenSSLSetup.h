#pragma once

namespace tavlen {

// Initialises OpenSSL once (from any thread) without the clean-up it would otherwise register for exit. Threads of
// a pool that used OpenSSL (a UUID made while a screenshot is decoded, say) can still be ending while exit handlers
// run; OpenSSL's clean-up then frees their per-thread state a second time. The process's memory goes with it anyway.
// Called by every OpenSSL user here before its first call into OpenSSL, and by programs' main functions first, so
// that it comes before any library's own first use.
void prepareOpenSSL();

} // namespace tavlen
