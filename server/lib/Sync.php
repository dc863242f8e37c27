<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * The master-data arrays of a login or update answer: the records changed
 * after the tablet's mark, up to and including the mark being answered.
 * Each record carries exactly the keys the tablet maps into its tables.
 */
final class Sync
{
    /** Array keys in the order the tablet applies them. */
    public const ARRAYS = [
        'salesmanArray', 'salesOrderArray', 'brandArray', 'materialArray', 'salesOrderDetailArray',
        'fileArray', 'customerSoldToArray', 'customerShipToArray', 'routingArray', 'routingShipToArray',
    ];

    private const QUERIES = [
        'salesmanArray' => "SELECT creationDate, salesmanCode, username, password, status, employeeCode, address,
            contactNo, mobileNo, faxNo, email, ipAddress, '' AS authToken, loginDate, lastUpdate
            FROM salesman WHERE seq > :since AND seq <= :mark ORDER BY salesmanCode",
        'salesOrderArray' => "SELECT creationDate, orderNo, purchaseOrderNo, orderDate, deliveryDate, soldToCode,
            shipToCode, transactionStatus, uploadStatus, sapStatus, sapOrderNo, type, priority, remark, lastUpdate
            FROM salesOrder WHERE salesmanCode = :salesman AND seq > :since AND seq <= :mark ORDER BY id",
        'brandArray' => "SELECT creationDate, brandCode, brandLanguage, brandName, lastUpdate
            FROM brand WHERE seq > :since AND seq <= :mark ORDER BY brandCode",
        'materialArray' => "SELECT creationDate, lastUpdate, skuCode, language, description, type, barcode,
            category, subCategory, brand, subBrand, status, photo, priority, unit1, unit2,
            Cat1, Cat2, Cat3, Cat4, Cat5, Cat6
            FROM material WHERE seq > :since AND seq <= :mark ORDER BY rowid",
        // Lines are filed on the tablet under the purchase order number, so
        // that is the order number they travel with.
        'salesOrderDetailArray' => "SELECT l.creationDate, l.lastUpdate, l.skuCode, o.purchaseOrderNo AS orderNo,
            l.uomCode, l.quantity, l.PromotionCode
            FROM salesOrderLine l JOIN salesOrder o ON o.id = l.orderId
            WHERE o.salesmanCode = :salesman AND o.seq > :since AND o.seq <= :mark ORDER BY o.id, l.lineNo",
        'fileArray' => "SELECT skuCode FROM picture WHERE seq > :since AND seq <= :mark ORDER BY skuCode",
        'customerSoldToArray' => "SELECT creationDate, lastUpdate, customerCode, customerName, salesGroup, status
            FROM customerSoldTo WHERE seq > :since AND seq <= :mark ORDER BY customerCode",
        'customerShipToArray' => "SELECT creationDate, lastUpdate, customerCode, shipToCode, description, status,
            address, district, region, remarks
            FROM customerShipTo WHERE seq > :since AND seq <= :mark ORDER BY customerCode, shipToCode",
        'routingArray' => "SELECT id, creationDate, lastUpdate, salesmanCode, start_date, end_date, status, routingId
            FROM routing WHERE seq > :since AND seq <= :mark ORDER BY id",
        'routingShipToArray' => "SELECT creationDate, lastUpdate, routingId, shipToCode, status
            FROM routingShipTo WHERE seq > :since AND seq <= :mark ORDER BY routingId, shipToCode",
    ];

    /**
     * Writes the arrays as members of the open result object.
     *
     * @param list<string> $arrays which arrays to write
     * @param string $filesUrl absolute URL of the /__files__ folder
     */
    public static function writeArrays(Db $db, JsonWriter $out, array $arrays, string $salesmanCode,
                                       int $since, int $mark, string $filesUrl): void
    {
        foreach ($arrays as $name) {
            $sql = self::QUERIES[$name];
            $params = [':since' => $since, ':mark' => $mark];
            if (str_contains($sql, ':salesman')) {
                $params[':salesman'] = $salesmanCode;
            }
            $stmt = $db->pdo->prepare($sql);
            $stmt->execute($params);
            $out->key($name);
            $out->beginArray();
            while (($row = $stmt->fetch()) !== false) {
                $out->element(self::wireRecord($name, $row, $filesUrl));
            }
            $out->endArray();
        }
    }

    /** @param array<string, mixed> $row */
    private static function wireRecord(string $array, array $row, string $filesUrl): array
    {
        if ($array === 'fileArray') {
            $path = '/material/' . $row['skuCode'] . '.jpg';
            return ['url' => $filesUrl . '/material/' . rawurlencode((string)$row['skuCode']) . '.jpg', 'filename' => $path];
        }
        foreach ($row as $k => $v) {
            $row[$k] = $v === null ? '' : (string)$v;
        }
        if ($array === 'salesmanArray') {
            // Accounts travel enciphered; the tablet compares them enciphered
            // when it logs a salesman in without a network.
            $row['username'] = Cipher::encode($row['username']);
            $row['password'] = Cipher::encode($row['password']);
        }
        return $row;
    }

    /** The promotion records with their product lists under "0". */
    public static function promotions(Db $db): array
    {
        $products = [];
        foreach ($db->all('SELECT PromotionId, skuCode, status FROM promotionProduct ORDER BY PromotionId, position') as $p) {
            $products[$p['PromotionId']][] = ['skuCode' => $p['skuCode'], 'status' => $p['status']];
        }
        $result = [];
        foreach ($db->all('SELECT * FROM promotion ORDER BY PromotionCode') as $row) {
            $result[] = [
                'PromotionId' => $row['PromotionId'],
                'PromotionCode' => $row['PromotionCode'],
                'PromotionName' => $row['PromotionName'],
                'PromotionDesc' => $row['PromotionDesc'],
                'creationDate' => $row['creationDate'],
                'lastUpdate' => $row['lastUpdate'],
                '0' => $products[$row['PromotionId']] ?? [],
                'Expiry' => $row['Expiry'],
            ];
        }
        return $result;
    }
}
