#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QmlInterface;

// Renders screens to PNG files: each scene builds a fresh interface, brings it
// to the state it shows, and the window is grabbed once it has settled.
class Screenshots
{
public:
    struct Scene {
        QString name;
        // Brings the freshly built interface to the scene's state.
        std::function<void(QmlInterface&)> prepare;
    };

    static std::vector<Scene> scenes();
    // Writes <directory>/<scene>.png for every scene (or only those named);
    // answers the number of failures.
    static int render(const QString& directory, const QStringList& only = {});
};
