#pragma once

#include "platform/Strings.h"
#include "workflow/PlaceholderController.h"
#include "workflow/ScreenRoles.h"

// Stands in for the item catalogue until it is built.
class PlaceholderItemList : public PlaceholderController, public ItemCatalogueScreen
{
    Q_OBJECT

public:
    explicit PlaceholderItemList(QObject* parent = nullptr)
        : PlaceholderController(Strings::localized("ITEMLISTVIEW_HEADER"),
                                QStringLiteral("The item catalogue is not built yet."), parent)
    {}

    void startBarcodeScanning() override { _scanning = true; }
    void processCapturedImage(const QImage& image) override
    {
        _photosReceived += image.isNull() ? 0 : 1;
    }
    void reloadCollection() override { ++_reloads; }

    bool scanning() const { return _scanning; }
    int photosReceived() const { return _photosReceived; }
    int reloads() const { return _reloads; }

private:
    bool _scanning = false;
    int _photosReceived = 0;
    int _reloads = 0;
};
