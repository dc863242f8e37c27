#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QVector>
#include <memory>

class HttpTransport;
class HttpError;

// One upload: an item picture (type 1) or the data of one order (type 2).
struct UploadData {
    int type = 0;
    QString sourcePath;         // type 1: "/material/<sku>.jpg", relative to the caches directory
    QString skuCode;            // type 1
    QString orderNo;            // type 2: the purchase order number on the device
    QVariantMap dataDictionary; // type 2: the order's upload fields
};

// The upload queue: sends saved orders and item pictures to the server, one
// at a time, in memory only (an order stays a draft until the server has
// accepted it, so nothing is lost when the application ends). A failed entry
// is retried at once behind the others; after 10 failures in a row a refused
// order or a picture is dropped, while an order that could not be sent rests
// at the head until the next entry is added. While no session token is held
// (after an off-line login) nothing is sent; the queue starts when a login or
// update hands out a token.
//
// When the server accepts an order, the queue sends its photos, marks it
// uploaded, takes over the server's order number and posts "uploadComplete".
class UploadManager : public QObject
{
    Q_OBJECT

public:
    static UploadManager* sharedManager();
    static void releaseManager();
    // The queue if it exists (the session tells it when a token arrives).
    static UploadManager* existingManager();

    void addDataUpload(int type, const QVariantMap& dataDictionary, const QString& purchaseOrderNo);
    void addUpload(const QString& skuCode, const QString& source);
    void startUpload();

    // The order's photos, each sent once; the answers are not awaited.
    void UploadImage(const QString& orderNo);
    void UploadIMageRun(const QString& orderNo, const QString& imageName);
    bool OrderNoUpdate(const QString& orderNo, const QString& newOrder);

    const QVector<UploadData>& entries() const { return _array; }
    bool isUploading() const { return _uploading; }
    int errorTry() const { return _errorTry; }

    void setTransport(std::shared_ptr<HttpTransport> transport) { _transport = std::move(transport); }

private:
    UploadManager();
    HttpTransport& transport() const;
    void sendOrder(const UploadData& entry);
    void sendPicture(const UploadData& entry);
    void orderAnswered(const QVariant& json);
    void pictureAnswered(const QVariant& json);
    void sendFailed(const HttpError& error);
    // A refusal or failure: counts it, rotates, and says whether to go on.
    void countFailure(bool dropAfterLimit);
    void takeToken(const QVariant& json);
    void next();

    QVector<UploadData> _array;
    bool _uploading = false;
    int _errorTry = 0;
    std::shared_ptr<HttpTransport> _transport;
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
