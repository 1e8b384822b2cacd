#include "OpenSSLSetup.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Read by LeakSanitizer in the sanitizer build. OpenSSL 3 keeps a random generator per thread that calls
// RAND_bytes (Uuid::random, for instance while a screenshot is decoded on a thread of Qt's pool) and frees it as
// the thread ends; now and then that has not happened when the leak check runs at exit. Stacks of these blocks end
// inside libcrypto (built without frame pointers), so the library is named rather than the function.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcrypto.so\n";
}

// Every test program runs with a Qt event loop available on its main thread, the offscreen
// platform, and the C locale pinned, so results never depend on the machine's settings.
int main(int argc, char** argv)
{
    tavlen::prepareOpenSSL();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TAVLEN_TESTING", "1", 1);
    std::setlocale(LC_ALL, "C");
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
