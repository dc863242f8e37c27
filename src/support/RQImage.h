#pragma once

#include <QImage>
#include <QString>

// Pictures by name: a downloaded or photographed picture in the cache wins over
// the one of the same path in the application's resource folder for this screen.
// Nothing is cached between calls, so a picture replaced by a new download shows
// at the next call.
class RQImage
{
public:
    static void setResourcePath(const QString& folder);
    static QString getResourcePath();
    // The main screen's device pixel ratio, read once; 1.0 without a screen.
    static qreal getSystemScaleFactor();
    // Overrides the scale factor (tests; the phone preview).
    static void setSystemScaleFactor(qreal scale);

    // "1536x2048"/"768x1024" for a tablet, "1242x2208"/"750x1334" for a phone.
    static QString resourceFolderFor(bool tabletIdiom, qreal scale);

    // A null image when the picture is in neither place or cannot be decoded.
    static QImage imageNamed(const QString& relativePath);
    // The file imageNamed() would read, or a null text.
    static QString pathForImageNamed(const QString& relativePath);
};
