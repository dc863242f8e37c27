#pragma once

#include "platform/ScannedCode.h"
#include "store/Material.h"
#include "workflow/ItemListModel.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"

#include <QList>
#include <QString>

class BarcodeScanner;

// The item catalogue: every item with its picture, SKU code and description in
// a grid of three columns, searchable by code or description. A missing
// picture is asked of the server through the download queue and shows once it
// has arrived ("downloadComplete" redraws the grid). Touching an item
// photographs it: the picture is stored on the device and sent to the server.
//
// The barcode command scans with the camera (or, without one, reads a picture
// file). A code is matched exactly against the SKU codes: a match leaves that
// item alone in the grid and ends scanning, so the item takes touches; the bar
// that names the code, or a search, shows the catalogue again. No match shows
// a notice and leaves the grid as it was. While scanning, touches on items are
// ignored, and a photo that arrives is stored under the scanned code, creating
// the item record if it is missing.
class ItemListViewController : public ScreenController, public ItemCatalogueScreen
{
    Q_OBJECT
    Q_PROPERTY(QObject* model READ model CONSTANT)
    Q_PROPERTY(QString searchText READ searchText NOTIFY searchChanged)
    Q_PROPERTY(bool searching READ searching NOTIFY searchChanged)
    Q_PROPERTY(bool barcodeScanning READ barcodeScanning NOTIFY barcodeScanningChanged)
    // The code whose item the grid shows alone after a scan; empty otherwise.
    Q_PROPERTY(QString scannedCode READ scannedCode NOTIFY scannedCodeChanged)

public:
    // Loads the whole catalogue.
    explicit ItemListViewController(QObject* parent = nullptr);
    ~ItemListViewController() override;
    QString viewName() const override { return QStringLiteral("ItemListView"); }

    ItemListModel* model() { return &_model; }
    // The items shown, in order.
    QList<Material> itemListArray() const { return _model.items(); }
    QString searchText() const { return _keyword; }
    bool searching() const { return _searching; }
    bool barcodeScanning() const { return _barcodeScanning; }
    QString scannedCode() const { return _scannedCode; }
    // The last code a scan read.
    QString barcodeDetectionString() const { return _barcodeDetectionString; }

    // Where barcodes come from: the scanner handed in (tests), else the
    // interface's.
    void setBarcodeScanner(BarcodeScanner* scanner) { _scanner = scanner; }
    BarcodeScanner* barcodeScanner() const;

    // The search bar: editing begins (the whole catalogue is read again), the
    // text changes, the search button, cancel.
    Q_INVOKABLE void searchBegin();
    Q_INVOKABLE void setSearchText(const QString& text);
    Q_INVOKABLE void searchButtonClicked();
    Q_INVOKABLE void searchCancel();
    // The way back from a barcode's item: the whole catalogue again.
    Q_INVOKABLE void showAllItems();

    // An item was touched: once the touch is over, the photo source is offered.
    Q_INVOKABLE void itemClicked(int row);

    // Scanning mode with the camera's picture over the screen, or the picture
    // file picker where there is no camera.
    Q_INVOKABLE void startBarcodeScanning() override;
    // Stops the camera and removes its picture; scanning mode stays as it is.
    Q_INVOKABLE void stopBarcodeScanning();
    // One delivery of the scanner: its codes in order.
    void barcodesDetected(const QList<ScannedCode>& codes);

    // The photo the salesman took or picked for the touched item.
    void processCapturedImage(const QImage& image) override;
    // Pictures have arrived: every cell looks for its picture again.
    void reloadCollection() override;

    void viewWillDisappear() override;

    // The kinds of codes the catalogue reads, in the order it prefers them.
    static QList<Symbology> acceptedSymbologies();
    // The items whose SKU code or description contains the keyword, ignoring
    // case; all of them for an empty keyword.
    static QList<Material> filterItems(const QList<Material>& items, const QString& keyword);

Q_SIGNALS:
    void searchChanged();
    void barcodeScanningChanged();
    void scannedCodeChanged();

private:
    void showItems(const QList<Material>& items);
    void applySearch();
    void dropSearch();
    void offerPhotoSource();
    void postItemListClicked(int source);
    void setBarcodeScanning(bool scanning);
    void setScannedCode(const QString& code);
    void scanCancelled();
    void imageFileScanned(const QList<ScannedCode>& codes);
    void storeScannedItemPhoto(const QImage& image);
    // Stores the picture under the code and queues it for the server; tells
    // the salesman and answers false when it could not be stored.
    bool storePhoto(const QImage& image, const QString& sku);

    ItemListModel _model;
    QList<Material> _itemListForSearchArray;
    QString _keyword;
    bool _searching = false;
    bool _barcodeScanning = false;
    bool _cameraRunning = false;
    QString _barcodeDetectionString;
    QString _scannedCode;
    // The item whose cell was touched for a photo; null when none.
    QString _cellSkuCode;
    BarcodeScanner* _scanner = nullptr;
};
