#include "workflow/ItemListViewController.h"

#include "core/AppManager.h"
#include "platform/BarcodeScanner.h"
#include "platform/Dialogs.h"
#include "platform/NotificationCenter.h"
#include "platform/PhotoSource.h"
#include "platform/Strings.h"
#include "store/DataManager.h"
#include "sync/DownloadManager.h"
#include "sync/Endpoints.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>

Q_LOGGING_CATEGORY(lcItemList, "fieldbook.itemlist")

namespace {
const QString kItemListClicked = QStringLiteral("itemListClicked");
const QString kPopupTag = QStringLiteral("itemListViewPopupTag");

void showNotice(Dialogs* dialogs, const char* key)
{
    if (dialogs)
        dialogs->showNotice(Strings::localized(key));
}
} // namespace

ItemListViewController::ItemListViewController(QObject* parent) : ScreenController(parent)
{
    _model.setPictureRequester([](const QString& skuCode) {
        const QString target = ItemListViewCell::picturePath(skuCode);
        DownloadManager::sharedManager()->addDownload(
            Endpoints::pictureUrl(AppManager::getHost(), target), target);
    });
    showItems(AppManager::getItemList());
}

ItemListViewController::~ItemListViewController()
{
    stopBarcodeScanning();
}

BarcodeScanner* ItemListViewController::barcodeScanner() const
{
    return _scanner ? _scanner : BarcodeScanner::shared();
}

void ItemListViewController::viewWillDisappear()
{
    stopBarcodeScanning();
}

void ItemListViewController::showItems(const QList<Material>& items)
{
    _model.setItems(items);
}

void ItemListViewController::reloadCollection()
{
    _model.reloadPictures();
}

// ---- search

QList<Material> ItemListViewController::filterItems(const QList<Material>& items,
                                                    const QString& keyword)
{
    if (keyword.isEmpty())
        return items;
    QList<Material> found;
    for (const Material& item : items) {
        if (item.skuCode.contains(keyword, Qt::CaseInsensitive) ||
            item.description.contains(keyword, Qt::CaseInsensitive))
            found << item;
    }
    return found;
}

void ItemListViewController::searchBegin()
{
    _itemListForSearchArray = AppManager::getItemList();
    if (!_searching) {
        _searching = true;
        Q_EMIT searchChanged();
    }
}

void ItemListViewController::setSearchText(const QString& text)
{
    // Typing without the editing having begun still searches the whole
    // catalogue, never an empty list.
    if (!_searching)
        searchBegin();
    if (_keyword != text) {
        _keyword = text;
        Q_EMIT searchChanged();
    }
    applySearch();
}

void ItemListViewController::searchButtonClicked()
{
    if (!_searching)
        searchBegin();
    applySearch();
}

void ItemListViewController::applySearch()
{
    setScannedCode(QString());
    showItems(filterItems(_itemListForSearchArray, _keyword));
}

void ItemListViewController::showAllItems()
{
    dropSearch();
    setScannedCode(QString());
    showItems(AppManager::getItemList());
}

void ItemListViewController::searchCancel()
{
    if (!_searching)
        return;
    _keyword.clear();
    _searching = false;
    Q_EMIT searchChanged();
    setScannedCode(QString());
    showItems(_itemListForSearchArray);
}

void ItemListViewController::dropSearch()
{
    if (!_searching && _keyword.isEmpty())
        return;
    _keyword.clear();
    _searching = false;
    Q_EMIT searchChanged();
}

// ---- photographing an item

void ItemListViewController::itemClicked(int row)
{
    if (_barcodeScanning || row < 0 || row >= _model.count())
        return;
    _cellSkuCode = _model.items().at(row).skuCode;
    // Offered once the touch is over.
    QPointer<ItemListViewController> self(this);
    QTimer::singleShot(0, this, [self]() {
        if (self)
            self->offerPhotoSource();
    });
}

void ItemListViewController::offerPhotoSource()
{
    if (_cellSkuCode.isNull())
        return;
    PhotoSource* photos = photoSource();
    Dialogs* shown = dialogs();
    if (!photos || !photos->hasCamera() || !shown) {
        postItemListClicked(2);
        return;
    }
    QPointer<ItemListViewController> self(this);
    shown->showActionSheet(Strings::localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA_OPTION"),
                           Strings::localized("ITEMLISTVIEW_ACTIONSHEET_CANCEL"),
                           {Strings::localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA"),
                            Strings::localized("ITEMLISTVIEW_ACTIONSHEET_GALLERY")},
                           [self](int index, const QString&) {
                               if (!self)
                                   return;
                               if (index == 0)
                                   self->postItemListClicked(1);
                               else if (index == 1)
                                   self->postItemListClicked(2);
                               else
                                   self->_cellSkuCode = QString();
                           });
}

void ItemListViewController::postItemListClicked(int source)
{
    NotificationCenter::defaultCenter().post(kItemListClicked, {{kPopupTag, source}});
}

void ItemListViewController::processCapturedImage(const QImage& image)
{
    if (image.isNull())
        return;
    if (_barcodeScanning && !_barcodeDetectionString.isEmpty()) {
        storeScannedItemPhoto(image);
        return;
    }
    if (_cellSkuCode.isEmpty()) {
        qCInfo(lcItemList) << "A photo arrived for no item; it is not stored";
        return;
    }
    const QString sku = std::exchange(_cellSkuCode, QString());
    if (storePhoto(image, sku))
        _model.reloadPicture(sku);
}

bool ItemListViewController::storePhoto(const QImage& image, const QString& sku)
{
    if (AppManager::saveItemPhoto(image, sku))
        return true;
    qCWarning(lcItemList) << "The picture of" << sku << "could not be stored";
    // Taking it again helps with a full storage, never with a code that
    // cannot name a file.
    const QString message = DataManager::isPlainFileName(sku)
                                ? Strings::localized("ITEMLISTVIEW_PHOTO_SAVE_FAILED")
                                : Strings::localized("ITEMLISTVIEW_PHOTO_BAD_CODE").arg(sku);
    if (dialogs())
        dialogs()->showAlert(Strings::localized("ALERT"), message,
                             {Strings::localized("BUTTON_OK")});
    return false;
}

void ItemListViewController::storeScannedItemPhoto(const QImage& image)
{
    const QString code = _barcodeDetectionString;
    stopBarcodeScanning();
    // An item is made for the code only with its picture.
    if (storePhoto(image, code)) {
        Material item;
        if (const std::optional<Material> stored = AppManager::getMaterial(code))
            item = *stored;
        else
            item.skuCode = code;
        AppManager::saveMaterial(item);
    }
    _cellSkuCode = QString();
    dropSearch();
    setScannedCode(QString());
    showItems(AppManager::getItemList());
    _model.reloadPictures();
    setBarcodeScanning(false);
}

// ---- barcodes

QList<Symbology> ItemListViewController::acceptedSymbologies()
{
    return {Symbology::UPCE, Symbology::Code39, Symbology::Code39Mod43, Symbology::EAN13,
            Symbology::EAN8, Symbology::Code93, Symbology::Code128,     Symbology::PDF417,
            Symbology::QR,   Symbology::Aztec};
}

void ItemListViewController::setBarcodeScanning(bool scanning)
{
    if (_barcodeScanning == scanning)
        return;
    _barcodeScanning = scanning;
    Q_EMIT barcodeScanningChanged();
}

void ItemListViewController::setScannedCode(const QString& code)
{
    if (_scannedCode == code)
        return;
    _scannedCode = code;
    Q_EMIT scannedCodeChanged();
}

void ItemListViewController::startBarcodeScanning()
{
    setBarcodeScanning(true);
    BarcodeScanner* scanner = barcodeScanner();
    if (!scanner) {
        qCWarning(lcItemList).noquote()
            << QStringLiteral("Error: %1").arg(QStringLiteral("no barcode scanner"));
        return;
    }
    QPointer<ItemListViewController> self(this);
    auto cancelled = [self]() {
        if (self)
            self->scanCancelled();
    };
    if (scanner->hasCamera()) {
        _cameraRunning = true;
        scanner->start(
            acceptedSymbologies(),
            [self](const QList<ScannedCode>& codes) {
                if (self)
                    self->barcodesDetected(codes);
            },
            cancelled);
        return;
    }
    scanner->scanImageFile(
        acceptedSymbologies(),
        [self](const QList<ScannedCode>& codes) {
            if (self)
                self->imageFileScanned(codes);
        },
        cancelled);
}

void ItemListViewController::stopBarcodeScanning()
{
    if (!_cameraRunning)
        return;
    _cameraRunning = false;
    if (BarcodeScanner* scanner = barcodeScanner())
        scanner->stop();
}

void ItemListViewController::scanCancelled()
{
    _cameraRunning = false;
    setBarcodeScanning(false);
}

void ItemListViewController::imageFileScanned(const QList<ScannedCode>& codes)
{
    barcodesDetected(codes);
    // A picture is read once: without a code the catalogue could use, the
    // scan is over all the same.
    if (_barcodeScanning) {
        setBarcodeScanning(false);
        showNotice(dialogs(), "ITEMLISTVIEW_BARCODESCANNER_NOCODE");
    }
}

void ItemListViewController::barcodesDetected(const QList<ScannedCode>& codes)
{
    // A frame the camera read before it stopped.
    if (!_barcodeScanning)
        return;
    const QList<Symbology> accepted = acceptedSymbologies();
    for (const ScannedCode& code : codes) {
        if (!accepted.contains(code.symbology) || code.text.isEmpty())
            continue;
        _barcodeDetectionString = code.text;
        stopBarcodeScanning();
        // The code is the SKU code, matched exactly.
        const std::optional<Material> item = AppManager::getMaterial(code.text);
        setBarcodeScanning(false);
        if (item) {
            dropSearch();
            setScannedCode(code.text);
            showItems({*item});
            return;
        }
        showNotice(dialogs(), "ITEMLISTVIEW_BARCODESCANNER_NOTHISMATERIAL");
    }
}
