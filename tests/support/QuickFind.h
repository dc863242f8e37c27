#pragma once

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

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

// The text an item shows, or a marker when the item is missing.
inline QString itemText(QQuickItem* item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

// Lets layouts and animations settle: two frames drawn from now.
inline void settleFrames(QQuickWindow* window)
{
    QSignalSpy frames(window, &QQuickWindow::frameSwapped);
    window->update();
    (void)QTest::qWaitFor([&] { return frames.count() >= 2; }, 1000);
}

// Clicks an item's centre once the window has settled. Fails the test when
// there is no item.
inline void clickItem(QQuickWindow* window, QQuickItem* item)
{
    ASSERT_NE(item, nullptr);
    settleFrames(window);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}
