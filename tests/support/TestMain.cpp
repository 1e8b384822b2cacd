#include <QCoreApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Every test program runs with a Qt event loop available on its main thread, the offscreen
// platform, and the C locale pinned, so results never depend on the machine's settings.
int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TAVLEN_TESTING", "1", 1);
    std::setlocale(LC_ALL, "C");
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
