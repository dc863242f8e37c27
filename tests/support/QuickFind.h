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

// Waits until a popup (alert, sheet, popover) has finished opening, so that
// its buttons stand where they will be clicked.
inline bool popupIsOpen(QQuickWindow* window, const char* popupName)
{
    if (!window)
        return false;
    QObject* popup = window->findChild<QObject*>(QString::fromLatin1(popupName));
    return popup && popup->property("opened").toBool();
}

inline QQuickItem* findQuickItem(QQuickWindow* window, const char* objectName)
{
    return window ? findQuickItem(window->contentItem(), QString::fromLatin1(objectName)) : nullptr;
}
