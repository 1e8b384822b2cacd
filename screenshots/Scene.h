#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace tavlen::screenshots {

// One picture for reviewers: a top-level widget built with fixture data. The program shows it at its size
// (or its size hint), lets it settle and saves it as <name>-<light|dark>@<scale>x.png.
struct Scene
{
    QString name;
    std::function<std::unique_ptr<QWidget>()> make;
    QSize size; // empty: the widget's size hint
};

// Adds a scene when the program starts. Each view folder keeps its scenes in screenshots/<folder>/*.cpp, one
// file-level registrar per scene:
//     const SceneRegistrar registrar{u"kit-buttons"_qs, [] { return std::make_unique<…>(); }};
class SceneRegistrar
{
public:
    SceneRegistrar(QString name, std::function<std::unique_ptr<QWidget>()> make, QSize size = {});
};

// Every registered scene, in name order.
std::vector<Scene> registeredScenes();

} // namespace tavlen::screenshots
