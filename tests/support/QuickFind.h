#pragma once

#include <QQuickItem>
#include <QQuickWindow>

// Finds a visual item by objectName anywhere below the window's content,
// following the visual tree (loaded screens hang below their Loader there).
inline QQuickItem* findQuickItem(QQuickItem* root, const QString& objectName)
{
    if (!root)
        return nullptr;
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findQuickItem(child, objectName))
            return found;
    }
    return nullptr;
}

inline QQuickItem* findQuickItem(QQuickWindow* window, const char* objectName)
{
    return window ? findQuickItem(window->contentItem(), QString::fromLatin1(objectName)) : nullptr;
}
