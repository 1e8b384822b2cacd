#include "OpenSSLSetup.h"

#include <openssl/crypto.h>

namespace tavlen {

void prepareOpenSSL()
{
    // The first initialisation decides whether a clean-up is registered; later ones cannot undo it.
    static const bool prepared = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    (void)prepared;
}

} // namespace tavlen
