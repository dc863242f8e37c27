<?php
declare(strict_types=1);

namespace FieldBookServer;

use PDO;

/**
 * The server's own SQLite database.
 *
 * Every master-data row carries `seq`, the number of the write that last
 * changed it. A write transaction takes one new number from meta.seq; the
 * synchronisation mark handed to the tablets is the highest committed number,
 * so changes made within the same second are told apart and none is lost.
 */
final class Db
{
    public const SCHEMA_VERSION = '1';

    private const SCHEMA = <<<'SQL'
CREATE TABLE meta (name TEXT PRIMARY KEY, value TEXT NOT NULL);

CREATE TABLE salesman (
  salesmanCode TEXT PRIMARY KEY, username TEXT NOT NULL UNIQUE, password TEXT NOT NULL,
  employeeCode TEXT NOT NULL DEFAULT '', address TEXT NOT NULL DEFAULT '',
  contactNo TEXT NOT NULL DEFAULT '', mobileNo TEXT NOT NULL DEFAULT '',
  faxNo TEXT NOT NULL DEFAULT '', email TEXT NOT NULL DEFAULT '',
  status INTEGER NOT NULL DEFAULT 20, ipAddress TEXT NOT NULL DEFAULT '',
  loginDate TEXT NOT NULL DEFAULT '', creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL,
  seq INTEGER NOT NULL);
CREATE INDEX salesman_seq ON salesman(seq);

CREATE TABLE brand (
  brandCode TEXT PRIMARY KEY, brandLanguage TEXT NOT NULL DEFAULT 'EN', brandName TEXT NOT NULL,
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL);
CREATE INDEX brand_seq ON brand(seq);

CREATE TABLE material (
  skuCode TEXT PRIMARY KEY, language TEXT NOT NULL DEFAULT 'EN', description TEXT NOT NULL DEFAULT '',
  type TEXT NOT NULL DEFAULT 'FG', barcode TEXT NOT NULL DEFAULT '',
  category INTEGER NOT NULL DEFAULT 0, subCategory INTEGER NOT NULL DEFAULT 0,
  brand INTEGER NOT NULL DEFAULT 0, subBrand INTEGER NOT NULL DEFAULT 0,
  status INTEGER NOT NULL DEFAULT 20, photo TEXT NOT NULL DEFAULT '0', priority TEXT NOT NULL DEFAULT '',
  unit1 TEXT NOT NULL DEFAULT 'CS', unit2 TEXT NOT NULL DEFAULT 'EA',
  Cat1 TEXT NOT NULL DEFAULT '', Cat2 TEXT NOT NULL DEFAULT '', Cat3 TEXT NOT NULL DEFAULT '',
  Cat4 TEXT NOT NULL DEFAULT '', Cat5 TEXT NOT NULL DEFAULT '', Cat6 TEXT NOT NULL DEFAULT '',
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL);
CREATE INDEX material_seq ON material(seq);

CREATE TABLE picture (
  skuCode TEXT PRIMARY KEY, size INTEGER NOT NULL, sha1 TEXT NOT NULL, source TEXT NOT NULL,
  lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL);
CREATE INDEX picture_seq ON picture(seq);

CREATE TABLE customerSoldTo (
  customerCode TEXT PRIMARY KEY, customerName TEXT NOT NULL, salesGroup TEXT NOT NULL DEFAULT '',
  status INTEGER NOT NULL DEFAULT 20, creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL,
  seq INTEGER NOT NULL);
CREATE INDEX customerSoldTo_seq ON customerSoldTo(seq);

CREATE TABLE customerShipTo (
  customerCode TEXT NOT NULL, shipToCode TEXT NOT NULL, description TEXT NOT NULL DEFAULT '',
  status INTEGER NOT NULL DEFAULT 20, address TEXT NOT NULL DEFAULT '', district TEXT NOT NULL DEFAULT '',
  region TEXT NOT NULL DEFAULT '', remarks TEXT NOT NULL DEFAULT '',
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL,
  PRIMARY KEY (customerCode, shipToCode));
CREATE INDEX customerShipTo_seq ON customerShipTo(seq);

CREATE TABLE routing (
  id INTEGER PRIMARY KEY, routingId INTEGER NOT NULL UNIQUE, salesmanCode TEXT NOT NULL,
  start_date TEXT NOT NULL, end_date TEXT NOT NULL, status INTEGER NOT NULL DEFAULT 20,
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL);
CREATE INDEX routing_seq ON routing(seq);

CREATE TABLE routingShipTo (
  routingId INTEGER NOT NULL, shipToCode TEXT NOT NULL, status INTEGER NOT NULL DEFAULT 20,
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL,
  PRIMARY KEY (routingId, shipToCode));
CREATE INDEX routingShipTo_seq ON routingShipTo(seq);

CREATE TABLE promotion (
  PromotionId INTEGER PRIMARY KEY, PromotionCode TEXT NOT NULL UNIQUE, PromotionName TEXT NOT NULL,
  PromotionDesc TEXT NOT NULL DEFAULT '', Expiry TEXT NOT NULL,
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL);

CREATE TABLE promotionProduct (
  PromotionId INTEGER NOT NULL, position INTEGER NOT NULL, skuCode TEXT NOT NULL,
  status INTEGER NOT NULL DEFAULT 20, PRIMARY KEY (PromotionId, skuCode));

CREATE TABLE salesOrder (
  id INTEGER PRIMARY KEY AUTOINCREMENT, orderNo TEXT NOT NULL UNIQUE,
  purchaseOrderNo TEXT NOT NULL, salesmanCode TEXT NOT NULL,
  creationDate TEXT NOT NULL, orderDate TEXT NOT NULL, deliveryDate TEXT NOT NULL,
  deliveryAddress TEXT NOT NULL DEFAULT '', soldToCode TEXT NOT NULL, shipToCode TEXT NOT NULL,
  transactionStatus INTEGER NOT NULL DEFAULT 20, uploadStatus INTEGER NOT NULL,
  sapStatus TEXT NOT NULL DEFAULT '', sapOrderNo TEXT NOT NULL DEFAULT '',
  type INTEGER NOT NULL DEFAULT 1, priority INTEGER NOT NULL DEFAULT -1,
  vdtype INTEGER NOT NULL DEFAULT 1, paymenttype INTEGER NOT NULL DEFAULT 1,
  remark TEXT NOT NULL DEFAULT '',
  deviceUploadStatus INTEGER, deviceSapStatus TEXT, deviceSapOrderNo TEXT, deviceUuid TEXT,
  contentHash TEXT NOT NULL DEFAULT '', uploadCount INTEGER NOT NULL DEFAULT 0,
  receivedAt TEXT NOT NULL DEFAULT '', lastUpdate TEXT NOT NULL, seq INTEGER NOT NULL,
  UNIQUE (salesmanCode, purchaseOrderNo));
CREATE INDEX salesOrder_seq ON salesOrder(salesmanCode, seq);

CREATE TABLE salesOrderLine (
  orderId INTEGER NOT NULL REFERENCES salesOrder(id) ON DELETE CASCADE, lineNo INTEGER NOT NULL,
  skuCode TEXT NOT NULL, quantity INTEGER NOT NULL, uomCode TEXT NOT NULL, PromotionCode TEXT NOT NULL,
  creationDate TEXT NOT NULL, lastUpdate TEXT NOT NULL,
  PRIMARY KEY (orderId, lineNo), UNIQUE (orderId, skuCode, PromotionCode));

CREATE TABLE orderPhoto (
  id INTEGER PRIMARY KEY AUTOINCREMENT, orderId INTEGER NOT NULL REFERENCES salesOrder(id) ON DELETE CASCADE,
  file TEXT NOT NULL, size INTEGER NOT NULL, sha1 TEXT NOT NULL, receivedAt TEXT NOT NULL,
  UNIQUE (orderId, sha1));

CREATE TABLE authToken (
  token TEXT PRIMARY KEY, salesmanCode TEXT NOT NULL, issuedAt INTEGER NOT NULL,
  expiresAt INTEGER NOT NULL, uuid TEXT NOT NULL DEFAULT '');

CREATE TABLE loginLog (
  id INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL, username TEXT NOT NULL, accepted INTEGER NOT NULL,
  timeStamp TEXT NOT NULL, deviceModel TEXT NOT NULL, appVersion TEXT NOT NULL, osVersion TEXT NOT NULL,
  language TEXT NOT NULL, uuid TEXT NOT NULL, remoteAddress TEXT NOT NULL);

CREATE TABLE fault (
  id INTEGER PRIMARY KEY AUTOINCREMENT, endpoint TEXT NOT NULL, mode TEXT NOT NULL,
  remaining INTEGER NOT NULL, seconds INTEGER NOT NULL DEFAULT 0, createdAt TEXT NOT NULL);
SQL;

    private function __construct(public readonly PDO $pdo, public readonly string $dataDir)
    {
    }

    /** Opens the data folder's database, creating the empty schema when it is new. */
    public static function open(string $dataDir): self
    {
        $path = Config::databasePath($dataDir);
        $pdo = new PDO('sqlite:' . $path, null, null, [
            PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
            PDO::ATTR_DEFAULT_FETCH_MODE => PDO::FETCH_ASSOC,
            // Every value goes to the tablets as text, as the order server always did.
            PDO::ATTR_STRINGIFY_FETCHES => true,
            PDO::ATTR_TIMEOUT => 15,
        ]);
        $pdo->exec('PRAGMA journal_mode = WAL');
        $pdo->exec('PRAGMA synchronous = NORMAL');
        $pdo->exec('PRAGMA foreign_keys = ON');
        $db = new self($pdo, $dataDir);
        $db->ensureSchema();
        return $db;
    }

    private function ensureSchema(): void
    {
        $exists = $this->pdo->query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'meta'")->fetchColumn();
        if ($exists) {
            return;
        }
        $this->pdo->exec('BEGIN IMMEDIATE');
        try {
            // Another worker may have created it while we waited for the lock.
            if (!$this->pdo->query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'meta'")->fetchColumn()) {
                $this->pdo->exec(self::SCHEMA);
                $insert = $this->pdo->prepare('INSERT INTO meta (name, value) VALUES (?, ?)');
                foreach (['schema' => self::SCHEMA_VERSION, 'seq' => '0', 'nextOrderNo' => '80000001', 'seeded' => '0'] as $k => $v) {
                    $insert->execute([$k, $v]);
                }
            }
            $this->pdo->exec('COMMIT');
        } catch (\Throwable $e) {
            $this->pdo->exec('ROLLBACK');
            throw $e;
        }
    }

    public function isSeeded(): bool
    {
        return $this->meta('seeded') === '1';
    }

    public function meta(string $name): ?string
    {
        $stmt = $this->pdo->prepare('SELECT value FROM meta WHERE name = ?');
        $stmt->execute([$name]);
        $value = $stmt->fetchColumn();
        return $value === false ? null : (string)$value;
    }

    public function setMeta(string $name, string $value): void
    {
        $this->pdo->prepare('INSERT INTO meta (name, value) VALUES (?, ?) ON CONFLICT(name) DO UPDATE SET value = excluded.value')
            ->execute([$name, $value]);
    }

    /**
     * Runs $work inside one write transaction and hands it the change number
     * for the rows it touches. Write transactions are taken immediately so
     * that two PHP workers never interleave their numbers.
     *
     * @template T
     * @param callable(int):T $work
     * @return T
     */
    public function write(callable $work): mixed
    {
        $this->pdo->exec('BEGIN IMMEDIATE');
        try {
            $this->pdo->exec("UPDATE meta SET value = CAST(value AS INTEGER) + 1 WHERE name = 'seq'");
            $seq = (int)$this->meta('seq');
            $result = $work($seq);
            $this->pdo->exec('COMMIT');
            return $result;
        } catch (\Throwable $e) {
            $this->pdo->exec('ROLLBACK');
            throw $e;
        }
    }

    /**
     * Runs $work in one read snapshot and hands it the current mark, so the
     * records answered and the mark answered always agree.
     *
     * @template T
     * @param callable(int):T $work
     * @return T
     */
    public function read(callable $work): mixed
    {
        $this->pdo->exec('BEGIN');
        try {
            $result = $work((int)$this->meta('seq'));
            $this->pdo->exec('COMMIT');
            return $result;
        } catch (\Throwable $e) {
            $this->pdo->exec('ROLLBACK');
            throw $e;
        }
    }

    /** Runs $work in a write transaction that does not count as a data change. */
    public function quietWrite(callable $work): mixed
    {
        $this->pdo->exec('BEGIN IMMEDIATE');
        try {
            $result = $work();
            $this->pdo->exec('COMMIT');
            return $result;
        } catch (\Throwable $e) {
            $this->pdo->exec('ROLLBACK');
            throw $e;
        }
    }

    public function currentSeq(): int
    {
        return (int)$this->meta('seq');
    }

    /** Takes the next server order number; call inside a write transaction. */
    public function nextOrderNo(): string
    {
        $next = (int)$this->meta('nextOrderNo');
        $this->setMeta('nextOrderNo', (string)($next + 1));
        return (string)$next;
    }

    /** @param array<int|string, mixed> $params */
    public function all(string $sql, array $params = []): array
    {
        $stmt = $this->pdo->prepare($sql);
        $stmt->execute($params);
        return $stmt->fetchAll();
    }

    /** @param array<int|string, mixed> $params */
    public function one(string $sql, array $params = []): ?array
    {
        $stmt = $this->pdo->prepare($sql);
        $stmt->execute($params);
        $row = $stmt->fetch();
        return $row === false ? null : $row;
    }

    /** @param array<int|string, mixed> $params */
    public function run(string $sql, array $params = []): int
    {
        $stmt = $this->pdo->prepare($sql);
        $stmt->execute($params);
        return $stmt->rowCount();
    }
}
