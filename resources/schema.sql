-- The seed database of Field Book. Every working database on a tablet starts as a
-- copy of the file built from this schema; the application never creates or alters
-- a table, so what stands here is the layout every reader relies on.
--
-- Record readers take columns by position from "SELECT *" rows: the column order
-- of each table is binding. Integer columns are declared INTEGER so that a value
-- written as '20' compares equal to 20. Text columns default to the empty text so
-- that rows written with only some columns (an order header from the server, an
-- item captured on the device) read back as empty texts rather than NULL.

PRAGMA user_version = 1;

CREATE TABLE salesman (
    creationDate  TEXT    DEFAULT '',
    salesmanCode  TEXT    UNIQUE,
    username      TEXT    DEFAULT '',
    password      TEXT    DEFAULT '',
    employeeCode  TEXT    DEFAULT '',
    address       TEXT    DEFAULT '',
    contactNo     TEXT    DEFAULT '',
    mobileNo      TEXT    DEFAULT '',
    faxNo         TEXT    DEFAULT '',
    email         TEXT    DEFAULT '',
    status        INTEGER DEFAULT 0,
    ipAddress     TEXT    DEFAULT '',
    authToken     TEXT    DEFAULT '',
    loginDate     TEXT    DEFAULT '',
    lastUpdate    TEXT    DEFAULT ''
);
CREATE INDEX salesman_username ON salesman (username);

CREATE TABLE salesOrder (
    creationDate      TEXT    DEFAULT '',
    orderNo           TEXT    DEFAULT '',
    purchaseOrderNo   TEXT    UNIQUE,
    orderDate         TEXT    DEFAULT '',
    deliveryDate      TEXT    DEFAULT '',
    soldToCode        TEXT    DEFAULT '',
    shipToCode        TEXT    DEFAULT '',
    transactionStatus INTEGER DEFAULT 0,
    uploadStatus      INTEGER DEFAULT 0,
    sapStatus         TEXT    DEFAULT '',
    sapOrderNo        TEXT    DEFAULT '',
    type              INTEGER DEFAULT 0,
    priority          INTEGER DEFAULT 0,
    remark            TEXT    DEFAULT '',
    lastUpdate        TEXT    DEFAULT '',
    vdtype            INTEGER DEFAULT 0,
    PaymentType       INTEGER DEFAULT 0,
    deliverAddress    TEXT    DEFAULT '',
    so_salesman       TEXT    DEFAULT ''
);
CREATE INDEX salesOrder_salesman ON salesOrder (so_salesman, uploadStatus);
CREATE INDEX salesOrder_orderNo ON salesOrder (orderNo);

CREATE TABLE salesOrderDetails (
    creationDate TEXT    DEFAULT '',
    orderNo      TEXT    DEFAULT '',
    skuCode      TEXT    DEFAULT '',
    quantity     INTEGER DEFAULT 0,
    uomCode      TEXT    DEFAULT '',
    lastUpdate   TEXT    DEFAULT '',
    Promocode    TEXT    DEFAULT '',
    UNIQUE (orderNo, skuCode, Promocode)
);

CREATE TABLE material (
    creationDate TEXT    DEFAULT '',
    skuCode      TEXT    UNIQUE,
    language     TEXT    DEFAULT '',
    description  TEXT    DEFAULT '',
    type         TEXT    DEFAULT '',
    category     INTEGER DEFAULT 0,
    subCategory  INTEGER DEFAULT 0,
    brand        INTEGER,
    subBrand     INTEGER DEFAULT 0,
    status       INTEGER DEFAULT 0,
    barcode      TEXT    DEFAULT '',
    lastUpdate   TEXT    DEFAULT '',
    phototype    TEXT    DEFAULT '',
    priority     TEXT    DEFAULT '',
    unit1        TEXT    DEFAULT '',
    unit2        TEXT    DEFAULT '',
    cate1        TEXT    DEFAULT '',
    cate2        TEXT    DEFAULT '',
    cate3        TEXT    DEFAULT '',
    cate4        TEXT    DEFAULT '',
    cate5        TEXT    DEFAULT '',
    cate6        TEXT    DEFAULT ''
);
CREATE INDEX material_priority ON material (status, priority);
-- The catalogue list reads the distinct brand values here to join them with
-- the brands once each: brand codes are text and material.brand an integer, so
-- the brand table's own key cannot serve the join row by row.
CREATE INDEX material_brand ON material (brand, status);
CREATE INDEX material_barcode ON material (barcode);

CREATE TABLE brand (
    creationDate  TEXT DEFAULT '',
    brandCode     TEXT UNIQUE,
    brandLanguage TEXT DEFAULT '',
    brandName     TEXT DEFAULT '',
    lastUpdate    TEXT DEFAULT ''
);

CREATE TABLE customerSoldTo (
    creationDate TEXT    DEFAULT '',
    customerCode TEXT    UNIQUE,
    customerName TEXT    DEFAULT '',
    salesGroup   TEXT    DEFAULT '',
    status       INTEGER DEFAULT 0,
    lastUpdate   TEXT    DEFAULT ''
);
CREATE INDEX customerSoldTo_name ON customerSoldTo (customerName);

CREATE TABLE customerShipTo (
    creationDate TEXT    DEFAULT '',
    customerCode TEXT,
    shipToCode   TEXT,
    description  TEXT    DEFAULT '',
    status       INTEGER DEFAULT 0,
    address      TEXT    DEFAULT '',
    district     TEXT    DEFAULT '',
    region       TEXT    DEFAULT '',
    remarks      TEXT    DEFAULT '',
    lastUpdate   TEXT    DEFAULT '',
    UNIQUE (customerCode, shipToCode)
);
CREATE INDEX customerShipTo_shipToCode ON customerShipTo (shipToCode);

CREATE TABLE routing (
    id           INTEGER PRIMARY KEY,
    creationDate TEXT    DEFAULT '',
    lastUpdate   TEXT    DEFAULT '',
    salesmanCode TEXT    DEFAULT '',
    start_date   TEXT    DEFAULT '',
    end_date     TEXT    DEFAULT '',
    status       INTEGER DEFAULT 0,
    routingId    INTEGER DEFAULT 0
);
CREATE INDEX routing_salesman ON routing (salesmanCode, routingId);

CREATE TABLE routing_shipTo (
    creationDate TEXT    DEFAULT '',
    lastUpdate   TEXT    DEFAULT '',
    routingId    INTEGER,
    shipToCode   TEXT,
    status       INTEGER DEFAULT 0,
    UNIQUE (routingId, shipToCode)
);

CREATE TABLE promote_db (
    promotionId      INTEGER PRIMARY KEY,
    promotionCode    TEXT DEFAULT '',
    promotionName    TEXT DEFAULT '',
    promotionDesc    TEXT DEFAULT '',
    creationDate     TEXT DEFAULT '',
    lastUpdate       TEXT DEFAULT '',
    promotionproduct TEXT DEFAULT '',
    Expiry           TEXT DEFAULT ''
);

CREATE TABLE orderimage (
    orderno   TEXT DEFAULT '',
    imagename TEXT DEFAULT ''
);
CREATE INDEX orderimage_orderno ON orderimage (orderno);
