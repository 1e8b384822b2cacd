#include "Scene.h"

#include <algorithm>

namespace tavlen::screenshots {

namespace {

// A function-local list: registrars in other files run during static initialisation, in any order.
std::vector<Scene>& scenes()
{
    static std::vector<Scene> list;
    return list;
}

} // namespace

SceneRegistrar::SceneRegistrar(QString name, std::function<std::unique_ptr<QWidget>()> make, QSize size)
{
    scenes().push_back({std::move(name), std::move(make), size});
}

std::vector<Scene> registeredScenes()
{
    std::vector<Scene> list = scenes();
    std::sort(list.begin(), list.end(), [](const Scene& a, const Scene& b) { return a.name < b.name; });
    return list;
}

} // namespace tavlen::screenshots
