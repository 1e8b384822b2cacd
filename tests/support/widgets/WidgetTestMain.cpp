#include "OpenSSLSetup.h"
#include "WidgetTestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// See TestMain.cpp: OpenSSL's per-thread random generators are freed as their threads end.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcrypto.so\n";
}

// Every widget test program runs with a QApplication on the offscreen platform, the Fusion style with the light
// palette, locale en_US and a pinned zone, so pixels and texts never depend on the machine's settings.
int main(int argc, char** argv)
{
    tavlen::prepareOpenSSL();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TAVLEN_TESTING", "1", 1);
    tavlen::test::pinWidgetTestLocaleAndZone();
    std::setlocale(LC_ALL, "C");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    tavlen::test::applyWidgetTestLook(tavlen::test::WidgetTestAppearance::light);
    return RUN_ALL_TESTS();
}
