#pragma once

#include "store/CustomerShipTo.h"
#include "store/CustomerSoldTo.h"
#include "store/Material.h"
#include "store/SalesOrder.h"
#include "store/SalesOrderDetails.h"
#include "store/Salesman.h"
#include "store/Statement.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <optional>

class StoreDelegate;
struct sqlite3;

// The single gateway to the local SQLite database. One process-wide instance,
// one connection, used from the main thread only. The working file is
// "data.sqlite" (production) or "data_dev.sqlite" (development setting on) in
// the documents directory, seeded from the application bundle on first use.
// The store never shows or logs anything: failures come back as empty
// results, absent records and false.
class DataManager
{
public:
    // Callers ask for the instance at every use: that is where a change of the
    // development setting moves the connection to the other database file.
    static DataManager* sharedManager();
    static void releaseManager();

    // A connection of its own to a working file that the shared connection
    // has already seeded and checked, for the thread that applies server
    // answers while the main thread goes on reading the state before them.
    // Null when the file cannot be opened for writing.
    static std::unique_ptr<DataManager> openConnection(const QString& path);
    ~DataManager();

    // How the working database stands after the last open. The store shows
    // nothing itself; the root screen tells the salesman (StoreNotice).
    enum class DatabaseState {
        Ready,       // open for reading and writing
        Replaced,    // the file was damaged: it was kept aside, unchanged, and a
                     // fresh copy of the seed opened in its place
        ReadOnly,    // open, but the file or its folder cannot be written
        Unavailable, // nothing could be opened: no seed, a folder that cannot
                     // be created, a file that cannot be read or kept aside
    };

    // Seeds the file if needed, opens it and checks it. A file that SQLite
    // finds damaged (not a database, or failing its quick check) is renamed
    // aside with its WAL, never overwritten or deleted, and the seed is opened
    // instead. Any other failure leaves the file as it is.
    bool openDatabase();
    void closeDatabase();
    void reopenDatabase();
    bool isOpen() const { return _database != nullptr; }
    QString getDatabasePath() const;
    void copyDatabaseIfNeeded() const;
    DatabaseState databaseState() const { return _state; }
    // Where the damaged file was kept (its WAL beside it with "-wal"), while
    // the state is Replaced; empty otherwise.
    QString replacedDatabasePath() const { return _replacedPath; }

    // Compiles one statement; invalid when the text does not compile or no
    // connection is held. Bind values to it, step it, and let it go.
    Statement executeQuery(const QString& sql);
    // Compiles a statement and binds the values to it in order.
    Statement executeQuery(const QString& sql, const QVariantList& values);
    // Compiles, binds and steps a statement that returns no rows; true when it
    // ran to completion.
    bool executeUpdate(const QString& sql, const QVariantList& values = {});
    // Rows changed by the last completed INSERT, UPDATE or DELETE.
    int changes() const;

    // Writes that belong together share one transaction. begin answers false
    // when a transaction could not be started (then nothing is open). commit
    // rolls back instead when a write of the transaction failed for want of
    // space or of a working file (writeFailed()): whatever else was written
    // with it must not be kept without it.
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();

    // Records the outcome of stepping a write and answers whether it ran to
    // completion. A failure of the storage itself (disk full, I/O error,
    // read-only or damaged file, lock not obtained) marks the transaction
    // failed; a record refused by a constraint or a type does not.
    bool noteWrite(int stepResult);
    // A write of the current transaction failed in the storage.
    bool writeFailed() const { return _writeFailed; }
    // SQLite result codes that mean the storage failed rather than the record.
    static bool isStorageFailure(int resultCode);

    // The current local time as "yyyy-MM-dd HH:mm:ss".
    static QString getNow();

    // Removes orders and order lines created more than 30 days ago.
    void cleanDatabase();

    // SQLite's last error text on the connection (for tests and diagnostics).
    QString lastError() const;
    sqlite3* handle() const { return _database; }

    // --- The application's values ---------------------------------------
    // Where the user name and the chosen sold-to customer come from; without
    // one both read as empty, so order lists and ship-to queries find nothing.
    // Class-wide: it outlives releaseManager().
    static void setDelegate(StoreDelegate* delegate);
    static StoreDelegate* delegate();

    // --- Orders (DataManagerOrders.cpp) ---------------------------------
    // The current user's orders, sorted by creation time then sold-to code,
    // or by sold-to code then creation time when priority is 2. A direction is
    // "ASC" or "DESC" (any other text sorts ascending).
    QList<SalesOrder> getOrderlistRowContent(const QString& dateOrder, const QString& customerOrder,
                                             int priority);
    // The same, restricted by upload status: status 20 lists the orders above
    // 20 (server states), any other status s the orders at s or below.
    QList<SalesOrder> getOrderlistRowContentWithStatus(int status, const QString& dateOrder,
                                                       const QString& customerOrder, int priority);
    // Every stored order, of any user, created from startDate 00:00:00 to
    // endDate 23:59:59 ("yyyy-MM-dd"; a null or empty day leaves that end
    // open), in the order they were stored.
    QList<SalesOrder> getOrderListWithStartDate(const QString& startDate, const QString& endDate);
    std::optional<SalesOrder> getSalesOrder(const QString& purchaseOrderNo);
    // The lines filed under the number, in the order they were stored; none
    // for the placeholder ".".
    QList<SalesOrderDetails> getSalesOrderDetail(const QString& orderNo);
    // The photos filed under the number as {"orderno", "imagename"}; none
    // for the placeholder ".".
    QList<QVariantMap> getOrderImg(const QString& orderNo);
    // Files the photo rows of that name under another order number: a photo
    // taken before the order had its final number follows the order. True
    // when the statement ran (also when no row matched).
    bool moveOrderImage(const QString& imageName, const QString& fromOrderNo,
                        const QString& toOrderNo);

    // Writes the header of an order: the row found under
    // originalPurchaseOrderNo (the number the order had when it was loaded)
    // is rewritten, which is how an order changes its number; otherwise a new
    // row is stored. The owner is the current user, the update time now, and
    // an unset creation time becomes now. False when nothing was stored: no
    // purchase order number, or one that another order holds.
    bool saveSalesOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo);
    // Stores each line under its (orderNo, skuCode, promocode), replacing a
    // stored line with the same key. True when every line was stored.
    bool saveOrderItemArray(const QList<SalesOrderDetails>& lines);
    // The order editor's save, whole or not at all: the header as
    // saveSalesOrder() writes it, then exactly the given lines, filed under
    // the order's purchase order number (whatever their orderNo says). Lines
    // stored before under the order's old or new number are replaced. It runs
    // its own transaction, so it is not called inside another one.
    bool saveOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                   const QList<SalesOrderDetails>& lines);
    // Gives the order whose orderNo is orderNo the server's number newOrder.
    // Its lines stay filed under the purchase order number. True when an
    // order was renumbered.
    bool OrderNoUpdate(const QString& orderNo, const QString& newOrder);
    // The header alone, the lines alone, and both in a transaction of their own.
    bool deleteSalesOrder(const QString& purchaseOrderNo);
    bool deleteSalesOrderDetails(const QString& orderNo);
    bool deleteOrder(const QString& purchaseOrderNo);
    // The highest row id of the order table, -1 when it is empty.
    int getSalesOrderMaxId();
    std::optional<Salesman> getSalesman(const QString& username);

    // --- Catalogue and promotions (DataManagerCatalogue.cpp) ------------
    // Items are always read with their brand's name; an item whose brand is
    // not stored is never returned.
    // The active items, ascending by priority; with a keyword only those
    // whose code contains it (literally: "%" and "_" match themselves).
    QList<Material> getItemList(const QString& keyword = QString());
    // The promotions whose expiry is still ahead, by promotion code, as
    // dictionaries of texts: "promotionId", "promotionCode", "promotionName",
    // "promotionDesc", "creationDate", "lastUpdate", "promotionproduct" (the
    // product list as JSON text). The keyword is not used.
    QList<QVariantMap> getPromoList(const QString& keyword = QString());
    // The items with the given codes, of any status. The text form takes the
    // codes joined with "','", as the promotion screen builds them.
    QList<Material> getPromoProductList(const QString& skuCodes);
    QList<Material> getPromoProductList(const QStringList& skuCodes);
    // One item of any status.
    std::optional<Material> getMaterial(const QString& skuCode);
    // Records an item code captured on the device; a code already in the
    // catalogue is left as it is. False when nothing could be recorded.
    bool saveMaterial(const Material& material);
    // Writes the item's picture as "material/<name>.jpg" in the caches
    // directory and answers that path as "/material/<name>.jpg"; a null text
    // when the picture could not be written (or the name is not a file name).
    QString savePhotoToApplication(const QImage& image, const QString& name);

    // --- Customers (DataManagerCatalogue.cpp) ---------------------------
    // A customer or address is offered only as a stop of one of the current
    // salesman's routes that is active and current (started before today,
    // ending after today, compared as text) while the stop, the customer and
    // the address are active. Lists without grouping hold one entry per stop.
    std::optional<CustomerSoldTo> getCustomerSoldTo(const QString& customerCode);
    // The first customer of exactly that name, any status.
    std::optional<CustomerSoldTo> getCustomerSoldToWithCustomerName(const QString& customerName);
    // An active address only.
    std::optional<CustomerShipTo> getCustomerShipTo(const QString& customerCode,
                                                    const QString& shipToCode);
    // The sold-to customers on the salesman's routes, one entry per stop.
    QList<CustomerSoldTo> getSoldToList();
    // The districts of the addresses on the salesman's routes.
    QStringList getRegionList();
    // The regions of the named customer's addresses (stops by customer code).
    QStringList getRegionListWithCustomerName(const QString& customerName);
    // The districts of the chosen sold-to customer's addresses; the region is
    // not used.
    QStringList getDistrictListWithRegion(const QString& region);
    // The districts of the named customer's addresses in the region.
    QStringList getDistrictListWithRegion(const QString& region, const QString& customerName);
    // The names of the customers owning addresses on the salesman's routes,
    // optionally in one region and one district (null or empty: any).
    QStringList getCustomerListWithRegion(const QString& region, const QString& district);
    // The chosen sold-to customer's addresses in the district; region and
    // customer name are not used.
    QList<CustomerShipTo> getCustomerShipToListWithRegion(const QString& region,
                                                          const QString& district,
                                                          const QString& customerName);
    // With a keyword (an empty one included): the chosen sold-to customer's
    // addresses whose customer name, description or ship-to code contains
    // it, one per ship-to code. With a null keyword: every address on the
    // routes, one entry per stop.
    QList<CustomerShipTo> getCustomerShipToListWithKeyword(const QString& keyword);
    // With a keyword (an empty one included): the route customers whose code,
    // name or sales group contains it, one entry per stop. With a null
    // keyword: every active sold-to customer, on a route or not.
    QList<CustomerSoldTo> getCustomerSoldToListWithKeyword(const QString& keyword);

    // --- Server records (DataManagerServerRecords.cpp) ------------------
    // Each stores an array of the server's records (dictionaries, keys as
    // the server sends them) with one prepared statement: a record is
    // inserted, or updated in place when its key is already stored. Values
    // are stored as received. A record without its key, or anything that is
    // not a dictionary, is skipped on its own. True when every element was
    // stored. The caller owns the transaction: one server answer, one commit.
    bool updatePromote(const QVariantList& records);
    bool updateSalesman(const QVariantList& records);
    // Orders are owned by the current user; a stored order keeps its delivery
    // address, VD type and payment terms, which the server does not send.
    bool updateSalesOrder(const QVariantList& records);
    // A promotion's line is filed under the item code followed by "_promo"
    // and the promotion code; a line without a promotion code is ordinary.
    bool updateSalesOrderDetail(const QVariantList& records);
    // An item keeps the category values of its first delivery.
    bool updateMaterial(const QVariantList& records);
    bool updateBrand(const QVariantList& records);
    bool updateCustomerSoldTo(const QVariantList& records);
    bool updateCustomerShipTo(const QVariantList& records);
    bool updateRouting(const QVariantList& records);
    // A stored route stop changes only its times and status.
    bool updateRoutingShipTo(const QVariantList& records);
    // Marks the order accepted by the server (upload status 20, updated now).
    void updateStatus(const QString& purchaseOrderNo);
    // Files an order photo under the order's number.
    bool insertorderimage(const QString& orderNo, const QString& imageName);
    // The off-line login: the active account with that (enciphered) user
    // name. "status" "1" when the enciphered password matches, "-20" when it
    // differs, "-30" without such an account; "result" the step outcome;
    // "username" and "password" the stored values or empty texts.
    QVariantMap localLoginWithUsername(const QString& username, const QString& password);

private:
    DataManager() = default;
    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    // The one write of an order header; replacedOriginal tells whether a row
    // stored under originalPurchaseOrderNo was rewritten.
    bool writeOrderHeader(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                          bool* replacedOriginal);
    bool writeOrderLine(const SalesOrderDetails& line);

    enum class Health { Good, Damaged, Unreadable };
    // Opens the working file and checks it; the handle, or null.
    sqlite3* openChecked(const QString& path, Health* health);
    // Moves the damaged file and its WAL and shared-memory files aside;
    // false when they could not all be moved (then none is).
    bool keepDamagedAside(const QString& path);

    sqlite3* _database = nullptr;
    DatabaseState _state = DatabaseState::Unavailable;
    QString _replacedPath;
    bool _writeFailed = false;
};

// Runs a group of writes as one transaction: rolled back unless commit() is
// called and succeeds.
class Transaction
{
public:
    explicit Transaction(DataManager* store);
    ~Transaction();
    bool isActive() const { return _active; }
    bool commit();

private:
    DataManager* _store;
    bool _active;
};
