#include "Scene.h"
#include "WidgetTestEnvironment.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QPixmap>
#include <QTest>

#include <cstdio>
#include <cstdlib>

// Renders the registered scenes into PNGs, in the light and the dark look, at one scale per run:
//     tavlen_screenshots --output build-screenshots --scale 2 [name-filter …]
int main(int argc, char** argv)
{
    using namespace tavlen;
    QByteArray scale = "1";
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--scale") == 0) {
            scale = argv[i + 1];
        }
    }
    // The scale is fixed before the application exists, so every widget sees it as a real display's.
    ::setenv("QT_SCALE_FACTOR", scale.constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    test::pinWidgetTestLocaleAndZone();
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("output"),
                      QStringLiteral("Folder of the PNGs."),
                      QStringLiteral("dir"),
                      QStringLiteral("build-screenshots")});
    parser.addOption({QStringLiteral("scale"),
                      QStringLiteral("Device pixels per logical pixel."),
                      QStringLiteral("factor"),
                      QStringLiteral("1")});
    parser.addPositionalArgument(QStringLiteral("filter"), QStringLiteral("Only scenes whose name contains it."));
    parser.process(app);
    const QDir output(parser.value(QStringLiteral("output")));
    if (!QDir().mkpath(output.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(output.path()));
        return 1;
    }
    const QStringList filters = parser.positionalArguments();

    int written = 0;

    const struct
    {
        test::WidgetTestAppearance appearance;
        QString name;
    } looks[] = {{test::WidgetTestAppearance::light, QStringLiteral("light")},
                 {test::WidgetTestAppearance::dark, QStringLiteral("dark")}};

    for (const auto& look : looks) {
        test::applyWidgetTestLook(look.appearance);
        for (const screenshots::Scene& scene : screenshots::registeredScenes()) {
            const bool wanted = filters.isEmpty() || std::any_of(filters.begin(), filters.end(), [&](const QString& f) {
                                    return scene.name.contains(f);
                                });
            if (!wanted) {
                continue;
            }
            std::unique_ptr<QWidget> widget = scene.make();
            widget->resize(scene.size.isEmpty() ? widget->sizeHint() : scene.size);
            widget->show();
            widget->activateWindow();
            if (!QTest::qWaitForWindowExposed(widget.get()) || !QTest::qWaitForWindowActive(widget.get())) {
                std::fprintf(stderr, "%s: window not shown\n", qPrintable(scene.name));
            }
            // Views that load or draw off the main thread settle within a few event-loop turns.
            QTest::qWait(250);
            const QString file =
                output.filePath(QStringLiteral("%1-%2@%3x.png").arg(scene.name, look.name, QString::fromLatin1(scale)));
            if (!widget->grab().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
            ++written;
        }
    }
    std::printf("%d screenshots in %s\n", written, qPrintable(output.path()));
    return written > 0 || !filters.isEmpty() ? 0 : 1;
}
