#pragma once

#include <QString>
#include <QVariantMap>

// The line a screen shows while the master data arrive and are stored, from
// the userInfo of a "syncProgress" notification: "Receiving data… 12 of
// 44 MB" (or "… 12 MB" when the server does not announce the size), then
// "Storing… 60 %".
QString syncProgressText(const QVariantMap& userInfo);
