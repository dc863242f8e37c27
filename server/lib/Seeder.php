<?php
declare(strict_types=1);

namespace FieldBookServer;

use DateTimeImmutable;
use Random\Engine\Mt19937;
use Random\Randomizer;

/**
 * Generates the demo data. The same options and the same day always give
 * the same data: names, codes and choices come from a fixed-seed generator,
 * and every date is counted from "today" (which --today can pin).
 */
final class Seeder
{
    public const DEFAULT_ITEMS = 200;
    public const DEFAULT_CUSTOMERS = 40;
    public const MAX_DEFAULT_PICTURES = 200;

    /** Demo accounts: user name, password, code, name, status. */
    public const SALESMEN = [
        ['demo', 'demo1234', 'S001', 'Daniel Moreau', 20],
        ['anna', 'anna1234', 'S002', 'Anna Keller', 20],
        ['bernard', 'bernard1', 'S003', 'Bernard Okafor', 20],
        ['carla', 'carla123', 'S004', 'Carla Nunes', 10],
    ];

    /** Brand code => [name, item code prefix, colour, division, group, variants, packs, shape]. */
    private const BRANDS = [
        '1' => ['Alpenquell', 'AQ', [40, 110, 190], 'Beverages', 'Water', ['Still', 'Sparkling', 'Lemon', 'Lime'],
            [['Bottle', '500ml'], ['Bottle', '1.5L'], ['Glass', '750ml']], 'bottle'],
        '2' => ['Sunny Day', 'SD', [240, 150, 30], 'Beverages', 'Juice', ['Orange', 'Apple', 'Multivitamin', 'Mango', 'Grape'],
            [['Carton', '1L'], ['Bottle', '330ml']], 'box'],
        '3' => ['Crunchos', 'CR', [200, 50, 40], 'Snacks', 'Chips', ['Salted', 'Paprika', 'Sour Cream', "Kid's Mix"],
            [['Bag', '150g'], ['Bag', '40g']], 'bag'],
        '4' => ['Nordic Dairy', 'ND', [90, 160, 210], 'Dairy', 'Milk and Yogurt', ['Whole Milk', 'Skim Milk', 'Yogurt Plain', 'Yogurt Berry'],
            [['Carton', '1L'], ['Cup', '500g']], 'box'],
        '5' => ['Casa Bella', 'CB', [190, 140, 60], 'Food', 'Pasta', ['Spaghetti', 'Penne', 'Fusilli', 'Lasagne'],
            [['Box', '500g'], ['Box', '1kg']], 'box'],
        '6' => ['Brightwash', 'BW', [60, 170, 120], 'Household', 'Cleaning', ['Dish Liquid', 'Laundry Gel', 'Glass Cleaner', 'Floor Cleaner'],
            [['Bottle', '750ml'], ['Bottle', '2L']], 'bottle'],
        '7' => ['Purelle', 'PU', [170, 90, 170], 'Personal Care', 'Hair and Body', ['Shampoo', 'Shower Gel', 'Hand Soap', 'Conditioner'],
            [['Bottle', '250ml'], ['Bottle', '500ml']], 'bottle'],
        '8' => ['Kaffeehaus', 'KH', [110, 70, 40], 'Beverages', 'Coffee', ['Espresso', 'Crema', 'Decaf', 'Instant'],
            [['Bag', '250g'], ['Jar', '100g']], 'can'],
    ];

    private const DIVISIONS = ['Beverages' => 1, 'Snacks' => 2, 'Dairy' => 3, 'Food' => 4, 'Household' => 5, 'Personal Care' => 6];

    private const CHANNELS = ['Retail', 'Horeca', 'Wholesale'];

    private const REGIONS = [
        'North' => ['Hillcrest', 'Northgate', 'Pinewood'],
        'South' => ['Harborside', 'Southfield', 'Bayview'],
        'East' => ['Eastbrook', 'Millbank'],
        'West' => ['Westend', 'Oakridge'],
        'Central' => ['Old Town', 'Market Square'],
    ];

    private const NAME_FIRST = ['Sunrise', 'Greenleaf', 'Corner', 'Harbor', 'Maple', 'Golden', 'Riverside', 'Hilltop',
        'Central', 'Lakeside', 'Oldtown', 'Marketplace', 'Family', 'Freshway', 'Union', 'Northstar', 'Bluedoor',
        'Parkview', 'Station', 'Village'];

    private const NAME_SECOND = ['Mart', 'Grocers', 'Minimarket', 'Supermarket', 'Store', 'Deli', 'Kiosk',
        'Cash and Carry', 'Trading', 'Foods'];

    private const STREETS = ['Mill Road', 'Station Street', 'High Street', 'Church Lane', 'Harbour Way', 'Elm Avenue',
        'Market Place', 'Bridge Street', "O'Hara Road", 'Kings Row', 'Garden Walk', 'Quarry Lane'];

    private const BRANCHES = ['Main Store', 'Warehouse', 'Branch', 'Outlet'];

    private const REMARKS = ['', '', 'Deliver before 10:00', 'Use the back entrance', 'Call on arrival', 'Closed on Mondays'];

    private Randomizer $rng;
    private DateTimeImmutable $today;
    private int $seq = 0;

    /** @var list<array{sku: string, brand: string, status: int}> */
    private array $items = [];

    /** @var list<array{code: string, name: string, shipTos: list<string>, addresses: array<string, string>}> */
    private array $customers = [];

    /** @var array<string, list<string>> promotion code => active item codes */
    private array $promotionItems = [];

    /**
     * @param array{items?: int, customers?: int, pictures?: int, today?: string} $options
     * @return array<string, int|string> what was generated
     */
    public static function seed(Db $db, array $options = []): array
    {
        $seeder = new self();
        return $seeder->run($db, $options);
    }

    private function run(Db $db, array $options): array
    {
        $items = max(1, (int)($options['items'] ?? self::DEFAULT_ITEMS));
        $customers = max(4, (int)($options['customers'] ?? self::DEFAULT_CUSTOMERS));
        $pictures = max(0, min($items, (int)($options['pictures'] ?? min($items, self::MAX_DEFAULT_PICTURES))));
        $today = (string)($options['today'] ?? date('Y-m-d'));
        $day = DateTimeImmutable::createFromFormat('!Y-m-d', $today);
        if ($day === false || $day->format('Y-m-d') !== $today) {
            throw new UsageError("--today must be a date YYYY-MM-DD, not '$today'");
        }
        if ($db->isSeeded()) {
            throw new UsageError('the data folder already holds data; start from an empty folder');
        }
        $this->today = $day;
        $this->rng = new Randomizer(new Mt19937(20240917));

        $db->write(function (int $seq) use ($db, $items, $customers, $pictures, $today): void {
            $this->seq = $seq;
            $this->salesmen($db);
            $this->brands($db);
            $this->materials($db, $items, $pictures);
            $this->customers($db, $customers);
            $this->routes($db);
            $this->promotions($db);
            $this->orders($db);
            $db->setMeta('seeded', '1');
            $db->setMeta('seededFor', $today);
            $db->setMeta('seedOptions', json_encode(['items' => $items, 'customers' => $customers,
                'pictures' => $pictures, 'today' => $today], Http::JSON_FLAGS));
        });
        return ['items' => $items, 'customers' => $customers, 'pictures' => $pictures, 'today' => $today,
            'timeStamp' => Clock::mark($db->currentSeq())];
    }

    private function at(int $days, string $time = '08:00:00'): string
    {
        return $this->today->modify(sprintf('%+d days', $days))->format('Y-m-d') . ' ' . $time;
    }

    private function date(int $days): string
    {
        return $this->today->modify(sprintf('%+d days', $days))->format('Y-m-d');
    }

    private function pick(array $list): mixed
    {
        return $list[$this->rng->getInt(0, count($list) - 1)];
    }

    private function salesmen(Db $db): void
    {
        $stmt = $db->pdo->prepare('INSERT INTO salesman (salesmanCode, username, password, employeeCode, address,
            contactNo, mobileNo, faxNo, email, status, creationDate, lastUpdate, seq)
            VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)');
        foreach (self::SALESMEN as $i => [$user, $pass, $code, $name, $status]) {
            $stmt->execute([$code, $user, $pass, sprintf('E%04d', 1001 + $i),
                sprintf('%d %s, %s', 10 + 7 * $i, self::STREETS[$i], array_keys(self::REGIONS)[$i]),
                sprintf('+1 555 010 %04d', 2000 + $i), sprintf('+1 555 020 %04d', 3000 + $i),
                sprintf('+1 555 010 %04d', 2900 + $i), $user . '@fieldbook.example', $status,
                $this->at(-400), $this->at(-30, '09:15:00'), $this->seq]);
        }
    }

    private function brands(Db $db): void
    {
        $stmt = $db->pdo->prepare('INSERT INTO brand (brandCode, brandLanguage, brandName, creationDate, lastUpdate, seq)
            VALUES (?, ?, ?, ?, ?, ?)');
        foreach (self::BRANDS as $code => $brand) {
            $stmt->execute([$code, 'EN', $brand[0], $this->at(-400), $this->at(-60), $this->seq]);
        }
    }

    private function materials(Db $db, int $count, int $pictures): void
    {
        $stmt = $db->pdo->prepare('INSERT INTO material (skuCode, language, description, type, barcode, category,
            subCategory, brand, subBrand, status, photo, priority, unit1, unit2, Cat1, Cat2, Cat3, Cat4, Cat5, Cat6,
            creationDate, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)');
        $codes = array_keys(self::BRANDS);
        $perBrand = [];
        for ($i = 0; $i < $count; $i++) {
            $brandCode = (string)$codes[$i % count($codes)];
            [$brandName, $prefix, $rgb, $division, $group, $variants, $packs, $shape] = self::BRANDS[$brandCode];
            $n = $perBrand[$brandCode] = ($perBrand[$brandCode] ?? -1) + 1;
            $combos = count($variants) * count($packs);
            $variantIndex = $n % count($variants);
            $variant = $variants[$variantIndex];
            [$pack, $size] = $packs[intdiv($n, count($variants)) % count($packs)];
            $round = intdiv($n, $combos);
            $description = "$brandName $variant $size $pack" . ($round > 0 ? ' Multipack ' . ($round + 1) : '');
            $sku = sprintf('%s%05d', $prefix, 10001 + $n);
            $status = ($i % 37 === 36) ? 10 : 20;
            $channel = $this->pick(self::CHANNELS);
            $unit2 = $this->rng->getInt(0, 3) === 0 ? 'PK' : 'EA';
            $stmt->execute([$sku, 'EN', $description, 'FG', self::ean13(400000000 + $i), self::DIVISIONS[$division],
                $variantIndex + 1, (int)$brandCode, intdiv($n, count($variants)) % count($packs) + 1, $status,
                ($i % 20 === 19) ? '1' : '0', sprintf('%06d', $i + 1), 'CS', $unit2,
                $division, $group, $pack, $size, $variant, $channel,
                $this->at(-300 + $i % 200), $this->at(-30 + $i % 25, '07:30:00'), $this->seq]);
            $this->items[] = ['sku' => $sku, 'brand' => $brandCode, 'status' => $status];
            if ($i < $pictures) {
                $jpeg = Pictures::drawDemo($sku, $variant, $rgb, $pack === 'Bag' ? 'bag' : ($pack === 'Jar' ? 'can' : $shape));
                Pictures::storeItemPicture($db, $sku, $jpeg, 'seed', $this->seq, $this->at(-60));
            }
        }
    }

    private static function ean13(int $body): string
    {
        $digits = sprintf('%012d', $body);
        $sum = 0;
        for ($i = 0; $i < 12; $i++) {
            $sum += (int)$digits[$i] * ($i % 2 === 0 ? 1 : 3);
        }
        return $digits . (string)((10 - $sum % 10) % 10);
    }

    private function customers(Db $db, int $count): void
    {
        $soldTo = $db->pdo->prepare('INSERT INTO customerSoldTo (customerCode, customerName, salesGroup, status,
            creationDate, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?, ?)');
        $shipTo = $db->pdo->prepare('INSERT INTO customerShipTo (customerCode, shipToCode, description, status, address,
            district, region, remarks, creationDate, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)');
        $regions = array_keys(self::REGIONS);
        $nextShipTo = 500001;
        for ($i = 0; $i < $count; $i++) {
            $first = self::NAME_FIRST[$i % count(self::NAME_FIRST)];
            $second = self::NAME_SECOND[(intdiv($i, count(self::NAME_FIRST)) + $i * 3) % count(self::NAME_SECOND)];
            $name = "$first $second" . ($i >= count(self::NAME_FIRST) * count(self::NAME_SECOND) ? ' ' . ($i + 1) : '');
            $code = (string)(100001 + $i);
            $status = ($i % 17 === 16) ? 10 : 20;
            $soldTo->execute([$code, $name, $this->pick(['Retail', 'Wholesale', 'Key Account', 'Horeca']), $status,
                $this->at(-380 + $i % 100), $this->at(-40 + $i % 30, '10:00:00'), $this->seq]);
            // The main delivery address carries the customer's own code; further
            // addresses have codes of their own.
            $shipTos = [];
            $addresses = [];
            $branches = $this->rng->getInt(1, 3);
            for ($b = 0; $b < $branches; $b++) {
                $shipCode = $b === 0 ? $code : (string)$nextShipTo++;
                $region = $regions[($i + $b) % count($regions)];
                $district = $this->pick(self::REGIONS[$region]);
                $address = sprintf('%d %s, %s', $this->rng->getInt(1, 180), $this->pick(self::STREETS), $district);
                $shipStatus = ($b === 2 && $i % 5 === 0) ? 10 : 20;
                $shipTo->execute([$code, $shipCode, "$first " . self::BRANCHES[$b] . " $district", $shipStatus, $address,
                    $district, $region, $this->pick(self::REMARKS), $this->at(-380 + $i % 100),
                    $this->at(-40 + $i % 30, '10:30:00'), $this->seq]);
                $shipTos[] = $shipCode;
                $addresses[$shipCode] = $address;
            }
            $this->customers[] = ['code' => $code, 'name' => $name, 'shipTos' => $shipTos, 'addresses' => $addresses];
        }
    }

    private function routes(Db $db): void
    {
        $route = $db->pdo->prepare('INSERT INTO routing (id, routingId, salesmanCode, start_date, end_date, status,
            creationDate, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)');
        $stop = $db->pdo->prepare('INSERT INTO routingShipTo (routingId, shipToCode, status, creationDate, lastUpdate, seq)
            VALUES (?, ?, ?, ?, ?, ?)');
        $n = count($this->customers);
        // [salesman, start, end, status, first customer, last customer]; indexes wrap for small data sets.
        $plan = [
            ['S001', -14, 90, 20, 0, 13],    // current
            ['S001', -120, -15, 20, 29, 33], // expired
            ['S001', 7, 60, 20, 34, 37],     // not started yet
            ['S002', -10, 80, 20, 11, 23],   // current, shares three customers with S001
            ['S002', -30, 30, 10, 24, 27],   // switched off
            ['S003', -20, 100, 20, 24, 35],  // current
        ];
        foreach ($plan as $r => [$salesman, $start, $end, $status, $from, $to]) {
            $routingId = 7001 + $r;
            $route->execute([$r + 1, $routingId, $salesman, $this->date($start), $this->date($end), $status,
                $this->at($start - 7), $this->at($start - 7, '16:00:00'), $this->seq]);
            $seen = [];
            for ($c = $from; $c <= $to; $c++) {
                $customer = $this->customers[$c % $n];
                // A stop names the customer and each of its delivery addresses:
                // the pickers look stops up by either code.
                foreach (array_unique(array_merge([$customer['code']], $customer['shipTos'])) as $k => $code) {
                    if (isset($seen[$code])) {
                        continue;
                    }
                    $seen[$code] = true;
                    $stopStatus = ($k > 0 && $c === $to) ? 10 : 20;
                    $stop->execute([$routingId, $code, $stopStatus, $this->at($start - 7), $this->at($start - 7, '16:00:00'), $this->seq]);
                }
            }
        }
    }

    private function promotions(Db $db): void
    {
        $promo = $db->pdo->prepare('INSERT INTO promotion (PromotionId, PromotionCode, PromotionName, PromotionDesc, Expiry,
            creationDate, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?, ?, ?)');
        $product = $db->pdo->prepare('INSERT INTO promotionProduct (PromotionId, position, skuCode, status) VALUES (?, ?, ?, ?)');
        // [code, name, description, brand, expiry in days from today (null: expired yesterday), product count]
        $plan = [
            ['P1001', 'Summer Refresh', 'Buy 10 cases of Alpenquell water, get 1 case free', '1', 45, 6],
            ['P1002', 'Juice Week', 'Sunny Day juices: 8 percent off every second case', '2', 10, 5],
            ['P1003', 'Snack Attack', 'Crunchos chips: free display stand with 20 cases', '3', 30, 4],
            ['P1004', 'Clean Start', 'Brightwash: 5 percent off orders of 15 cases or more', '6', 0, 4],
            ['P1005', 'Winter Warmers', 'Kaffeehaus coffee bundle, ended last week', '8', -7, 4],
            ['P1006', 'Pasta Night', 'Casa Bella pasta: buy 6 get 1 free', '5', 60, 5],
        ];
        foreach ($plan as $p => [$code, $name, $desc, $brand, $days, $count]) {
            $id = $p + 1;
            $expiry = $days === 0 ? $this->at(0, '23:59:59') : $this->at($days, '23:59:59');
            $promo->execute([$id, $code, $name, $desc, $expiry, $this->at(-30), $this->at(-3, '12:00:00'), $this->seq]);
            $skus = array_values(array_filter($this->items, fn ($it) => $it['brand'] === $brand));
            $skus = array_slice($skus, 0, $count);
            foreach ($skus as $pos => $item) {
                // One product per promotion is switched off, so the tablet has one to leave out.
                $status = ($pos === count($skus) - 1 && count($skus) > 2) ? 10 : 20;
                $product->execute([$id, $pos + 1, $item['sku'], $status]);
                if ($status === 20 && $item['status'] === 20 && $days > 0) {
                    $this->promotionItems[$code][] = $item['sku'];
                }
            }
        }
    }

    private function orders(Db $db): void
    {
        $order = $db->pdo->prepare('INSERT INTO salesOrder (orderNo, purchaseOrderNo, salesmanCode, creationDate,
            orderDate, deliveryDate, deliveryAddress, soldToCode, shipToCode, transactionStatus, uploadStatus, sapStatus,
            sapOrderNo, type, priority, vdtype, paymenttype, remark, contentHash, uploadCount, receivedAt, lastUpdate, seq)
            VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 20, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?)');
        $active = array_values(array_filter($this->items, fn ($it) => $it['status'] === 20));
        $n = count($this->customers);
        // [salesman, number of orders, first customer of the salesman's current route]
        $plan = [['S001', 6, 0], ['S002', 3, 11], ['S003', 3, 24]];
        $states = [[30, 'Received'], [40, 'Confirmed'], [50, 'Delivered']];
        $sapNo = 4500012001;
        foreach ($plan as [$salesman, $count, $firstCustomer]) {
            for ($k = 0; $k < $count; $k++) {
                $customer = $this->customers[($firstCustomer + 2 * $k) % $n];
                $shipTo = $customer['shipTos'][$k % count($customer['shipTos'])];
                $daysAgo = 2 + 3 * ($count - $k);
                $created = $this->today->modify("-$daysAgo days")->setTime(9 + $k, 5 * $k + 3, 11);
                $firstWord = explode(' ', $customer['name'])[0];
                $po = $firstWord . '.' . $created->getTimestamp() . $this->rng->getInt(100, 999);
                [$uploadStatus, $sapStatus] = $states[($k + 2) % 3];
                $createdText = $created->format('Y-m-d H:i:s');
                $orderNo = $db->nextOrderNo();
                $order->execute([$orderNo, $po, $salesman, $createdText, $createdText,
                    $created->modify('+2 days')->format('Y-m-d') . ' 00:00:00', $customer['addresses'][$shipTo],
                    $customer['code'], $shipTo, $uploadStatus, $sapStatus, $uploadStatus > 30 ? (string)$sapNo++ : '',
                    1 + $k % 3, -1, 1 + $k % 2, 1 + intdiv($k, 2) % 2, $this->pick(['', 'Urgent', 'Call before delivery', 'Weekly order']),
                    'seed', $createdText, $created->modify('+1 hour')->format('Y-m-d H:i:s'), $this->seq]);
                $orderId = (int)$db->pdo->lastInsertId();
                $lines = [];
                $used = [];
                $lineCount = min($this->rng->getInt(2, 5), count($active));
                while (count($lines) < $lineCount) {
                    $sku = $this->pick($active)['sku'];
                    if (isset($used[$sku])) {
                        continue;
                    }
                    $used[$sku] = true;
                    $lines[] = ['skuCode' => $sku, 'quantity' => $this->rng->getInt(1, 24),
                        'uomCode' => $this->rng->getInt(0, 2) === 0 ? 'EA' : 'CS', 'PromotionCode' => ' '];
                }
                // Every other order also takes an item inside a running promotion.
                $codes = array_keys($this->promotionItems);
                if ($k % 2 === 0 && $codes) {
                    $code = $codes[$k % count($codes)];
                    $lines[] = ['skuCode' => $this->promotionItems[$code][0], 'quantity' => 10, 'uomCode' => 'CS',
                        'PromotionCode' => $code];
                }
                Orders::insertLines($db, $orderId, $lines, $createdText);
            }
        }
    }
}
