<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * Orders uploaded by the tablets: reading the enciphered payload, and storing
 * it so that an upload repeated after a lost answer gives the same order.
 */
final class Orders
{
    /** Upload status of an order the server holds but the back office has not touched. */
    public const RECEIVED = 30;

    /** Fields that travel enciphered. */
    public const ENCIPHERED = ['purchaseOrderNo', 'deliveryDate', 'deliveryAddress', 'soldToCode', 'shipToCode',
        'sapOrderNo', 'orderDate', 'remark', 'item'];

    /** Fields that travel as decimal integers. */
    public const DECIMAL = ['transactionStatus', 'uploadStatus', 'priority', 'type', 'vdtype', 'paymenttype'];

    /** Fields that travel as plain text. */
    public const PLAIN = ['sapStatus'];

    /**
     * Deciphers and checks a payload.
     *
     * @param array<string, mixed> $fields the posted form fields
     * @return array{header: array<string, string|int>, lines: list<array<string, string|int>>}
     */
    public static function parse(array $fields): array
    {
        $missing = [];
        foreach (array_merge(self::ENCIPHERED, self::DECIMAL, self::PLAIN) as $name) {
            if (!isset($fields[$name]) || !is_string($fields[$name])) {
                $missing[] = $name;
            }
        }
        if ($missing) {
            throw new Refusal(Refusal::MALFORMED, 'The order is incomplete (missing ' . implode(', ', $missing) . ').');
        }
        $header = [];
        foreach (self::ENCIPHERED as $name) {
            $plain = Cipher::decode($fields[$name]);
            if ($plain === null) {
                throw new Refusal(Refusal::CONTENT, "The order could not be read (field $name is not enciphered text).");
            }
            $header[$name] = $plain;
        }
        foreach (self::DECIMAL as $name) {
            if (!preg_match('/^-?\d{1,9}$/', $fields[$name])) {
                throw new Refusal(Refusal::MALFORMED, "The order could not be read (field $name is not a whole number).");
            }
            $header[$name] = (int)$fields[$name];
        }
        $header['sapStatus'] = $fields['sapStatus'];
        if (trim((string)$header['purchaseOrderNo']) === '') {
            throw new Refusal(Refusal::CONTENT, 'The order has no purchase order number.');
        }
        $lines = self::parseItems((string)$header['item']);
        unset($header['item']);
        return ['header' => $header, 'lines' => $lines];
    }

    /**
     * The item list is four values per line (item code, quantity, unit,
     * promotion code) joined by commas. A promotion line arrives with its
     * code as the item code followed by "_promo"; the server files it under
     * the plain item code and the promotion code.
     *
     * @return list<array{skuCode: string, quantity: int, uomCode: string, PromotionCode: string}>
     */
    public static function parseItems(string $items): array
    {
        if ($items === '') {
            return [];
        }
        $values = explode(',', $items);
        if (count($values) % 4 !== 0) {
            throw new Refusal(Refusal::CONTENT, 'The order lines could not be read (' . count($values)
                . ' values, expected four per line).');
        }
        $lines = [];
        $seen = [];
        foreach (array_chunk($values, 4) as $i => [$sku, $quantity, $uom, $promo]) {
            $n = $i + 1;
            if (trim($sku) === '') {
                throw new Refusal(Refusal::CONTENT, "Order line $n has no item code.");
            }
            if (!preg_match('/^\d{1,9}$/', $quantity)) {
                throw new Refusal(Refusal::CONTENT, "Order line $n has no valid quantity ('$quantity').");
            }
            if ($promo === '') {
                throw new Refusal(Refusal::CONTENT, "Order line $n has no promotion code (a blank for none).");
            }
            if ($promo !== ' ' && str_ends_with($sku, '_promo') && strlen($sku) > 6) {
                $sku = substr($sku, 0, -6);
            }
            $key = $sku . "\n" . $promo;
            if (isset($seen[$key])) {
                throw new Refusal(Refusal::CONTENT, "Order line $n repeats item $sku.");
            }
            $seen[$key] = true;
            $lines[] = ['skuCode' => $sku, 'quantity' => (int)$quantity, 'uomCode' => $uom, 'PromotionCode' => $promo];
        }
        return $lines;
    }

    /**
     * Stores a parsed order for a salesman and answers its server number.
     *
     * The purchase order number is the order's identity: the same number sent
     * again gives the same order. A changed repeat replaces the stored content
     * while the back office has not touched the order; after that the stored
     * order stays as it is and the tablet is still told its number.
     *
     * @param array{header: array<string, string|int>, lines: list<array<string, string|int>>} $order
     */
    public static function store(Db $db, string $salesmanCode, array $order, string $uuid): string
    {
        $h = $order['header'];
        $hash = sha1(json_encode([$h, $order['lines']], Http::JSON_FLAGS));
        $now = Clock::now();
        return $db->write(function (int $seq) use ($db, $salesmanCode, $order, $h, $hash, $now, $uuid): string {
            $existing = $db->one('SELECT id, orderNo, contentHash, uploadStatus FROM salesOrder
                WHERE salesmanCode = ? AND purchaseOrderNo = ?', [$salesmanCode, $h['purchaseOrderNo']]);
            $values = [
                $h['orderDate'], $h['orderDate'], $h['deliveryDate'], $h['deliveryAddress'], $h['soldToCode'],
                $h['shipToCode'], $h['transactionStatus'], $h['type'], $h['priority'], $h['vdtype'], $h['paymenttype'],
                $h['remark'], $h['uploadStatus'], $h['sapStatus'], $h['sapOrderNo'], $uuid, $hash, $now, $seq,
            ];
            if ($existing === null) {
                $orderNo = $db->nextOrderNo();
                $db->run('INSERT INTO salesOrder (creationDate, orderDate, deliveryDate, deliveryAddress, soldToCode,
                    shipToCode, transactionStatus, type, priority, vdtype, paymenttype, remark, deviceUploadStatus,
                    deviceSapStatus, deviceSapOrderNo, deviceUuid, contentHash, lastUpdate, seq,
                    orderNo, purchaseOrderNo, salesmanCode, uploadStatus, sapStatus, sapOrderNo, receivedAt, uploadCount)
                    VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)',
                    array_merge($values, [$orderNo, $h['purchaseOrderNo'], $salesmanCode, self::RECEIVED, 'Received', '', $now]));
                $id = (int)$db->pdo->lastInsertId();
                self::insertLines($db, $id, $order['lines'], $now);
                return $orderNo;
            }
            $id = (int)$existing['id'];
            if ($existing['contentHash'] !== $hash && (int)$existing['uploadStatus'] === self::RECEIVED) {
                $db->run('UPDATE salesOrder SET creationDate = ?, orderDate = ?, deliveryDate = ?, deliveryAddress = ?,
                    soldToCode = ?, shipToCode = ?, transactionStatus = ?, type = ?, priority = ?, vdtype = ?,
                    paymenttype = ?, remark = ?, deviceUploadStatus = ?, deviceSapStatus = ?, deviceSapOrderNo = ?,
                    deviceUuid = ?, contentHash = ?, lastUpdate = ?, seq = ?, uploadCount = uploadCount + 1
                    WHERE id = ?', array_merge($values, [$id]));
                $db->run('DELETE FROM salesOrderLine WHERE orderId = ?', [$id]);
                self::insertLines($db, $id, $order['lines'], $now);
            } else {
                $db->run('UPDATE salesOrder SET uploadCount = uploadCount + 1 WHERE id = ?', [$id]);
            }
            return (string)$existing['orderNo'];
        });
    }

    /** @param list<array<string, string|int>> $lines */
    public static function insertLines(Db $db, int $orderId, array $lines, string $now): void
    {
        $stmt = $db->pdo->prepare('INSERT INTO salesOrderLine (orderId, lineNo, skuCode, quantity, uomCode,
            PromotionCode, creationDate, lastUpdate) VALUES (?, ?, ?, ?, ?, ?, ?, ?)');
        foreach ($lines as $i => $line) {
            $stmt->execute([$orderId, $i + 1, $line['skuCode'], $line['quantity'], $line['uomCode'],
                $line['PromotionCode'], $now, $now]);
        }
    }

    /** An order of a salesman by its purchase order number or its server number. */
    public static function find(Db $db, string $salesmanCode, string $number): ?array
    {
        return $db->one('SELECT * FROM salesOrder WHERE salesmanCode = ? AND (purchaseOrderNo = ? OR orderNo = ?)
            ORDER BY purchaseOrderNo = ? DESC LIMIT 1', [$salesmanCode, $number, $number, $number]);
    }

    /** Orders with their lines and photos, as the admin tool shows them. */
    public static function describe(Db $db, ?string $salesmanCode = null, ?string $number = null): array
    {
        $sql = 'SELECT * FROM salesOrder WHERE 1 = 1';
        $params = [];
        if ($salesmanCode !== null) {
            $sql .= ' AND salesmanCode = ?';
            $params[] = $salesmanCode;
        }
        if ($number !== null) {
            $sql .= ' AND (purchaseOrderNo = ? OR orderNo = ?)';
            $params[] = $number;
            $params[] = $number;
        }
        $orders = [];
        foreach ($db->all($sql . ' ORDER BY id', $params) as $o) {
            $id = $o['id'];
            unset($o['id'], $o['contentHash']);
            $o['lines'] = $db->all('SELECT skuCode, quantity, uomCode, PromotionCode FROM salesOrderLine
                WHERE orderId = ? ORDER BY lineNo', [$id]);
            $o['photos'] = $db->all('SELECT file, size, sha1, receivedAt FROM orderPhoto WHERE orderId = ? ORDER BY id', [$id]);
            $orders[] = $o;
        }
        return $orders;
    }
}
