<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * Inspection and master-data changes for tests and demos, shared by
 * bin/admin and the loopback-only /__admin__ endpoint.
 */
final class Admin
{
    public const USAGE = <<<'TXT'
admin [--data DIR] COMMAND [ARGS]      (every answer is JSON)

  orders [--salesman CODE] [--po NUMBER]   stored orders with lines and photos
  set-status NUMBER STATUS [--sap-status TEXT] [--sap-order-no TEXT]
                                           the back office moves an order on
                                           (NUMBER: server or purchase order number)
  touch-material SKU [DESCRIPTION]         mark an item changed (and set its description)
  set KIND KEY FIELD=VALUE... [--create]   change (or add) a master-data record;
                                           KIND: salesman, material, brand, customerSoldTo,
                                           customerShipTo (KEY customer/shipTo), routing (KEY routingId),
                                           routingShipTo (KEY routingId/shipTo), promotion (KEY code)
  fault ENDPOINT MODE [COUNT] [--seconds S]
                                           the next COUNT (default 1, 0 = until cleared)
                                           answers of ENDPOINT misbehave
  fault clear [ENDPOINT]                   disarm faults
  faults                                   armed faults
  expire-tokens [USERNAME]                 end sessions now
  logins                                   login attempts with their device fields
  crashes                                  received crash reports
  mark                                     the current synchronisation mark
  encode TEXT | decode HEX                 the string cipher with the key text
  digest                                   checksums of the data (for determinism checks)
TXT;

    /** Master-data kinds: table, key columns, fields that may be set. */
    private const KINDS = [
        'salesman' => ['salesman', ['salesmanCode'], ['username', 'password', 'employeeCode', 'address', 'contactNo',
            'mobileNo', 'faxNo', 'email', 'status']],
        'material' => ['material', ['skuCode'], ['language', 'description', 'type', 'barcode', 'category', 'subCategory',
            'brand', 'subBrand', 'status', 'photo', 'priority', 'unit1', 'unit2', 'Cat1', 'Cat2', 'Cat3', 'Cat4',
            'Cat5', 'Cat6']],
        'brand' => ['brand', ['brandCode'], ['brandLanguage', 'brandName']],
        'customerSoldTo' => ['customerSoldTo', ['customerCode'], ['customerName', 'salesGroup', 'status']],
        'customerShipTo' => ['customerShipTo', ['customerCode', 'shipToCode'], ['description', 'status', 'address',
            'district', 'region', 'remarks']],
        'routing' => ['routing', ['routingId'], ['salesmanCode', 'start_date', 'end_date', 'status']],
        'routingShipTo' => ['routingShipTo', ['routingId', 'shipToCode'], ['status']],
        'promotion' => ['promotion', ['PromotionCode'], ['PromotionName', 'PromotionDesc', 'Expiry']],
    ];

    private const VALUE_OPTIONS = ['salesman', 'po', 'seconds', 'sap-status', 'sap-order-no', 'data'];

    /**
     * Splits arguments into positional ones and options.
     *
     * @param list<string> $args
     * @return array{0: list<string>, 1: array<string, string|bool>}
     */
    public static function parseArgs(array $args): array
    {
        $positional = [];
        $options = [];
        for ($i = 0; $i < count($args); $i++) {
            $arg = (string)$args[$i];
            if (str_starts_with($arg, '--') && strlen($arg) > 2) {
                $name = substr($arg, 2);
                $value = true;
                if (str_contains($name, '=')) {
                    [$name, $value] = explode('=', $name, 2);
                } elseif (in_array($name, self::VALUE_OPTIONS, true)) {
                    if (!isset($args[$i + 1])) {
                        throw new UsageError("--$name needs a value");
                    }
                    $value = (string)$args[++$i];
                }
                $options[$name] = $value;
            } else {
                $positional[] = $arg;
            }
        }
        return [$positional, $options];
    }

    /** @param list<string> $args */
    public static function run(Db $db, array $args): mixed
    {
        [$pos, $opt] = self::parseArgs($args);
        $command = array_shift($pos) ?? 'help';
        $string = static fn (string $name): ?string => isset($opt[$name]) && is_string($opt[$name]) ? $opt[$name] : null;
        switch ($command) {
            case 'help':
                return self::USAGE;
            case 'orders':
                return Orders::describe($db, $string('salesman'), $string('po'));
            case 'set-status':
                self::need($pos, 2, 'set-status NUMBER STATUS');
                return self::setStatus($db, $pos[0], $pos[1], $string('sap-status'), $string('sap-order-no'));
            case 'touch-material':
                self::need($pos, 1, 'touch-material SKU [DESCRIPTION]');
                return self::set($db, 'material', $pos[0], isset($pos[1]) ? ['description=' . $pos[1]] : [], false);
            case 'set':
                self::need($pos, 2, 'set KIND KEY FIELD=VALUE...');
                return self::set($db, $pos[0], $pos[1], array_slice($pos, 2), isset($opt['create']));
            case 'fault':
                self::need($pos, 1, 'fault ENDPOINT MODE [COUNT] | fault clear [ENDPOINT]');
                if ($pos[0] === 'clear') {
                    return ['cleared' => Faults::clear($db, $pos[1] ?? null)];
                }
                self::need($pos, 2, 'fault ENDPOINT MODE [COUNT] [--seconds S]');
                $count = $pos[2] ?? '1';
                $seconds = $string('seconds') ?? '0';
                if (!ctype_digit($count) || !ctype_digit($seconds)) {
                    throw new UsageError('COUNT and --seconds are whole numbers');
                }
                return Faults::arm($db, $pos[0], $pos[1], (int)$count, (int)$seconds);
            case 'faults':
                return Faults::list($db);
            case 'expire-tokens':
                $code = null;
                if (isset($pos[0])) {
                    $code = self::salesmanCode($db, $pos[0]);
                }
                return ['expired' => Session::expire($db, $code)];
            case 'logins':
                return $db->all('SELECT * FROM loginLog ORDER BY id');
            case 'crashes':
                return self::crashes($db);
            case 'mark':
                return ['timeStamp' => Clock::mark($db->currentSeq())];
            case 'encode':
                self::need($pos, 1, 'encode TEXT');
                return Cipher::encode($pos[0]);
            case 'decode':
                self::need($pos, 1, 'decode HEX');
                $plain = Cipher::decode($pos[0]);
                if ($plain === null) {
                    throw new UsageError('not an enciphered text');
                }
                return $plain;
            case 'digest':
                return self::digest($db);
            default:
                throw new UsageError("unknown command '$command'\n\n" . self::USAGE);
        }
    }

    /** @param list<string> $pos */
    private static function need(array $pos, int $count, string $usage): void
    {
        if (count($pos) < $count) {
            throw new UsageError("usage: $usage");
        }
    }

    private static function salesmanCode(Db $db, string $userOrCode): string
    {
        $row = $db->one('SELECT salesmanCode FROM salesman WHERE username = ? OR salesmanCode = ?', [$userOrCode, $userOrCode]);
        if ($row === null) {
            throw new UsageError("no salesman '$userOrCode'");
        }
        return (string)$row['salesmanCode'];
    }

    private static function setStatus(Db $db, string $number, string $status, ?string $sapStatus, ?string $sapOrderNo): array
    {
        if (!preg_match('/^-?\d+$/', $status)) {
            throw new UsageError('STATUS is a whole number');
        }
        $orders = $db->all('SELECT id FROM salesOrder WHERE orderNo = ? OR purchaseOrderNo = ?', [$number, $number]);
        if (count($orders) !== 1) {
            throw new UsageError(count($orders) === 0 ? "no order '$number'" : "'$number' names several orders");
        }
        $db->write(function (int $seq) use ($db, $orders, $status, $sapStatus, $sapOrderNo): void {
            $db->run('UPDATE salesOrder SET uploadStatus = ?, sapStatus = COALESCE(?, sapStatus),
                sapOrderNo = COALESCE(?, sapOrderNo), lastUpdate = ?, seq = ? WHERE id = ?',
                [(int)$status, $sapStatus, $sapOrderNo, Clock::now(), $seq, $orders[0]['id']]);
        });
        return Orders::describe($db, null, $number)[0];
    }

    /** @param list<string> $assignments FIELD=VALUE texts */
    private static function set(Db $db, string $kind, string $key, array $assignments, bool $create): array
    {
        if (!isset(self::KINDS[$kind])) {
            throw new UsageError("unknown kind '$kind' (one of: " . implode(', ', array_keys(self::KINDS)) . ')');
        }
        [$table, $keyColumns, $fields] = self::KINDS[$kind];
        if ($kind === 'salesman') {
            $existing = $db->one('SELECT salesmanCode FROM salesman WHERE username = ? OR salesmanCode = ?', [$key, $key]);
            $key = $existing['salesmanCode'] ?? $key;
        }
        $keyValues = explode('/', $key);
        if (count($keyValues) !== count($keyColumns)) {
            throw new UsageError("KEY of $kind is " . implode('/', $keyColumns));
        }
        $changes = [];
        foreach ($assignments as $assignment) {
            if (!str_contains($assignment, '=')) {
                throw new UsageError("expected FIELD=VALUE, not '$assignment'");
            }
            [$field, $value] = explode('=', $assignment, 2);
            if (!in_array($field, $fields, true)) {
                throw new UsageError("$kind has no field '$field' (fields: " . implode(', ', $fields) . ')');
            }
            $changes[$field] = $value;
        }
        // Identifiers below come only from the fixed lists above; every value is bound.
        $where = implode(' AND ', array_map(fn ($c) => "$c = ?", $keyColumns));
        return $db->write(function (int $seq) use ($db, $table, $kind, $keyColumns, $keyValues, $changes, $where, $create): array {
            $now = Clock::now();
            $found = $db->one("SELECT 1 AS found FROM $table WHERE $where", $keyValues) !== null;
            if (!$found && !$create) {
                throw new UsageError("no $kind '" . implode('/', $keyValues) . "' (add --create to add it)");
            }
            if ($found) {
                $sets = array_map(fn ($c) => "$c = ?", array_keys($changes));
                $sets[] = 'lastUpdate = ?';
                $sets[] = 'seq = ?';
                $db->run("UPDATE $table SET " . implode(', ', $sets) . " WHERE $where",
                    array_merge(array_values($changes), [$now, $seq], $keyValues));
            } else {
                $columns = array_merge($keyColumns, array_keys($changes), ['creationDate', 'lastUpdate', 'seq']);
                $values = array_merge($keyValues, array_values($changes), [$now, $now, $seq]);
                try {
                    $db->run("INSERT INTO $table (" . implode(', ', $columns) . ') VALUES ('
                        . implode(', ', array_fill(0, count($columns), '?')) . ')', $values);
                } catch (\PDOException $e) {
                    throw new UsageError("cannot add $kind: " . $e->getMessage());
                }
            }
            return $db->one("SELECT * FROM $table WHERE $where", $keyValues) ?? [];
        });
    }

    private static function crashes(Db $db): array
    {
        $path = Config::crashLogPath($db->dataDir);
        if (!is_file($path)) {
            return [];
        }
        $entries = [];
        foreach (file($path, FILE_IGNORE_NEW_LINES | FILE_SKIP_EMPTY_LINES) ?: [] as $line) {
            $entries[] = json_decode($line, true);
        }
        return $entries;
    }

    /** Checksums of every table of demo data and of every served file. */
    private static function digest(Db $db): array
    {
        $tables = ['salesman', 'brand', 'material', 'picture', 'customerSoldTo', 'customerShipTo', 'routing',
            'routingShipTo', 'promotion', 'promotionProduct', 'salesOrder', 'salesOrderLine'];
        $digest = [];
        foreach ($tables as $table) {
            $ctx = hash_init('sha1');
            foreach ($db->all("SELECT * FROM $table ORDER BY rowid") as $row) {
                hash_update($ctx, json_encode($row, Http::JSON_FLAGS) . "\n");
            }
            $digest[$table] = hash_final($ctx);
        }
        $files = Config::filesDir($db->dataDir);
        $ctx = hash_init('sha1');
        if (is_dir($files)) {
            $it = new \RecursiveIteratorIterator(new \RecursiveDirectoryIterator($files, \FilesystemIterator::SKIP_DOTS));
            $paths = [];
            foreach ($it as $file) {
                $paths[] = substr($file->getPathname(), strlen($files));
            }
            sort($paths);
            foreach ($paths as $p) {
                hash_update($ctx, $p . ':' . sha1_file($files . $p) . "\n");
            }
        }
        $digest['files'] = hash_final($ctx);
        return $digest;
    }
}
