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

// Types text into whatever holds the keyboard focus, key by key.
inline void typeText(QQuickWindow* window, const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

// Drags with the mouse from a point by dy, slowly enough that nothing flicks
// on after the release.
inline void dragVertically(QQuickWindow* window, QPoint from, int dy)
{
    settleFrames(window);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
    const int steps = 10;
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(window, from + QPoint(0, dy * i / steps), 20);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, from + QPoint(0, dy), 300);
}

// Scrolls the Flickable the item lies in (if any) with the mouse, along the
// pane's free left margin, until the whole item can be seen and touched, or
// as far as the pane goes.
inline void scrollIntoView(QQuickWindow* window, QQuickItem* item)
{
    ASSERT_NE(item, nullptr);
    QQuickItem* pane = item->parentItem();
    while (pane && !pane->inherits("QQuickFlickable"))
        pane = pane->parentItem();
    if (!pane)
        return;
    qreal before = -1;
    for (int tries = 0; tries < 20; ++tries) {
        settleFrames(window);
        const QRectF view = pane->mapRectToScene(QRectF(0, 0, pane->width(), pane->height()));
        const QRectF shown = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        if ((shown.top() >= view.top() && shown.bottom() <= view.bottom()) || shown.top() == before)
            return;
        before = shown.top();
        const qreal off = shown.bottom() > view.bottom() ? shown.bottom() - view.bottom() + 8
                                                         : shown.top() - view.top() - 8;
        const int dy = int(-qBound(-view.height() / 2, off, view.height() / 2));
        dragVertically(window, QPoint(int(view.left()) + 4, int(view.center().y() - dy / 2)), dy);
    }
    ADD_FAILURE() << "cannot scroll " << qPrintable(item->objectName()) << " into view";
}
