#include "workflow/ViewController.h"

#include "platform/DeviceIdiom.h"
#include "support/RQImage.h"

ViewController::ViewController(QObject* parent) : QObject(parent)
{
    // Pictures are drawn per screen size; choose the folder once, before any
    // screen asks for a picture.
    RQImage::setResourcePath(RQImage::resourceFolderFor(DeviceIdiom::isTablet(), RQImage::getSystemScaleFactor()));
}

void ViewController::viewDidLoad()
{
    show(QStringLiteral("LoginPlaceholder"));
}

void ViewController::show(const QString& screen)
{
    if (screen == _currentScreen)
        return;
    _currentScreen = screen;
    Q_EMIT currentScreenChanged();
}
