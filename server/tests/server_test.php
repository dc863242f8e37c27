<?php
// Tests of the order server: the cipher and the demo data on their own, then
// a real server on a free 127.0.0.1 port with a temporary data folder,
// spoken to over HTTP exactly as the tablet speaks to it.
//   php server/tests/server_test.php
declare(strict_types=1);

namespace FieldBookServer;

require dirname(__DIR__) . '/lib/bootstrap.php';

const SERVER = __DIR__ . '/..';

$passed = 0;
$failed = 0;

function check(string $name, bool $ok, string $detail = ''): void
{
    global $passed, $failed;
    if ($ok) {
        $passed++;
        echo "ok - $name\n";
    } else {
        $failed++;
        $detail = strlen($detail) > 300 ? substr($detail, 0, 300) . '...' : $detail;
        echo "not ok - $name" . ($detail !== '' ? " ($detail)" : '') . "\n";
    }
}

/** Runs a group of checks; an exception fails the group instead of the run. */
function group(string $name, callable $body): void
{
    echo "# $name\n";
    try {
        $body();
    } catch (\Throwable $e) {
        check("$name: finished", false, $e::class . ': ' . $e->getMessage() . ' at line ' . $e->getLine());
    }
}

function tempDir(): string
{
    $dir = sys_get_temp_dir() . '/fieldbook-server-test-' . bin2hex(random_bytes(4));
    mkdir($dir, 0700, true);
    return $dir;
}

function removeTree(string $dir): void
{
    if (!is_dir($dir)) {
        return;
    }
    $it = new \RecursiveIteratorIterator(new \RecursiveDirectoryIterator($dir, \FilesystemIterator::SKIP_DOTS),
        \RecursiveIteratorIterator::CHILD_FIRST);
    foreach ($it as $entry) {
        $entry->isDir() ? rmdir($entry->getPathname()) : unlink($entry->getPathname());
    }
    rmdir($dir);
}

/** Runs a PHP tool of the server and answers its decoded JSON output. */
function tool(string $tool, array $args): mixed
{
    $cmd = 'php ' . escapeshellarg(SERVER . "/bin/$tool");
    foreach ($args as $a) {
        $cmd .= ' ' . escapeshellarg((string)$a);
    }
    exec($cmd . ' 2>&1', $out, $rc);
    if ($rc !== 0) {
        throw new \RuntimeException("$tool failed ($rc): " . implode("\n", $out));
    }
    return json_decode(implode("\n", $out), true);
}

function jpeg(int $r, int $g, int $b): string
{
    $img = imagecreatetruecolor(48, 48);
    imagefill($img, 0, 0, imagecolorallocate($img, $r, $g, $b));
    ob_start();
    imagejpeg($img, null, 90);
    return (string)ob_get_clean();
}

/** The tablet's own cipher, written out byte by byte to check the server's. */
function referenceEncode(string $plain, string $key): string
{
    $out = '';
    for ($i = 0; $i < strlen($plain); $i++) {
        $out .= sprintf('%02x', ord($plain[$i]) ^ ord($key[$i % strlen($key)]));
    }
    return $out;
}

final class TestServer
{
    public readonly string $base;
    private $process;

    public function __construct(public readonly string $dataDir)
    {
        $probe = stream_socket_server('tcp://127.0.0.1:0');
        $port = (int)substr(strrchr(stream_socket_get_name($probe, false), ':'), 1);
        fclose($probe);
        $this->base = "http://127.0.0.1:$port";
        $log = $dataDir . '/serve.log';
        $this->process = proc_open(['bash', SERVER . '/bin/serve', '--port', (string)$port, '--data', $dataDir,
            '--workers', '3'], [0 => ['file', '/dev/null', 'r'], 1 => ['file', $log, 'a'], 2 => ['file', $log, 'a']], $pipes);
        $deadline = microtime(true) + 20;
        while (microtime(true) < $deadline) {
            $conn = @stream_socket_client("tcp://127.0.0.1:$port", $errno, $errstr, 0.2);
            if ($conn) {
                fclose($conn);
                return;
            }
            usleep(100000);
        }
        $this->stop();
        throw new \RuntimeException('server did not start: ' . @file_get_contents($log));
    }

    public function stop(): void
    {
        if ($this->process === null) {
            return;
        }
        proc_terminate($this->process, 15);
        $deadline = microtime(true) + 10;
        while (proc_get_status($this->process)['running'] && microtime(true) < $deadline) {
            usleep(50000);
        }
        proc_close($this->process);
        $this->process = null;
    }

    /**
     * One request. $fields go form-encoded, or multipart when $files is given
     * (file parts: [field, file name, bytes]), framed as the tablet frames them.
     *
     * @return array{code: int, type: string, body: string, json: mixed, seconds: float}
     */
    public function request(string $method, string $path, ?array $fields = null, ?array $files = null): array
    {
        $headers = [];
        $content = '';
        if ($files !== null) {
            $boundary = sprintf('Boundary+%08X%08X', random_int(0, 0xFFFFFFFF), random_int(0, 0xFFFFFFFF));
            $parts = [];
            foreach ($fields ?? [] as $name => $value) {
                $parts[] = "Content-Disposition: form-data; name=\"$name\"\r\n\r\n$value";
            }
            foreach ($files as [$name, $filename, $bytes]) {
                $parts[] = "Content-Disposition: form-data; name=\"$name\"; filename=\"$filename\"\r\n"
                    . "Content-Type: image/jpeg\r\n\r\n$bytes";
            }
            $content = "--$boundary\r\n" . implode("\r\n--$boundary\r\n", $parts) . "\r\n--$boundary--\r\n";
            $headers[] = "Content-Type: multipart/form-data; boundary=$boundary";
        } elseif ($fields !== null) {
            $content = http_build_query($fields, '', '&', PHP_QUERY_RFC3986);
            $headers[] = 'Content-Type: application/x-www-form-urlencoded';
        }
        $headers[] = 'Content-Length: ' . strlen($content);
        $context = stream_context_create(['http' => ['method' => $method, 'header' => implode("\r\n", $headers),
            'content' => $content, 'ignore_errors' => true, 'timeout' => 30]]);
        $start = microtime(true);
        $body = @file_get_contents($this->base . $path, false, $context);
        $responseHeaders = $http_response_header ?? [];
        if ($body === false || $responseHeaders === []) {
            throw new \RuntimeException("no answer to $method $path");
        }
        preg_match('/^HTTP\/\S+ (\d+)/', $responseHeaders[0], $m);
        $type = '';
        foreach ($responseHeaders as $h) {
            if (stripos($h, 'Content-Type:') === 0) {
                $type = trim(substr($h, 13));
            }
        }
        return ['code' => (int)$m[1], 'type' => $type, 'body' => $body, 'json' => json_decode($body, true),
            'seconds' => microtime(true) - $start];
    }

    /** POSTs to an endpoint and answers the decoded envelope. */
    public function api(string $endpoint, array $fields, ?array $files = null): array
    {
        $answer = $this->request('POST', "/api/$endpoint", $fields, $files);
        if (!is_array($answer['json'])) {
            throw new \RuntimeException("$endpoint answered no JSON object: HTTP {$answer['code']} " . substr($answer['body'], 0, 200));
        }
        return $answer['json'];
    }

    /**
     * Sends the same form POST on several connections before reading any
     * answer, so the server's workers handle them at the same time.
     *
     * @return list<mixed> the decoded answers
     */
    public function concurrent(string $path, array $fields, int $copies): array
    {
        $body = http_build_query($fields, '', '&', PHP_QUERY_RFC3986);
        $host = substr($this->base, strlen('http://'));
        $request = "POST $path HTTP/1.1\r\nHost: $host\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            . 'Content-Length: ' . strlen($body) . "\r\nConnection: close\r\n\r\n$body";
        $connections = [];
        for ($i = 0; $i < $copies; $i++) {
            $conn = stream_socket_client("tcp://$host", $errno, $errstr, 5);
            stream_set_timeout($conn, 30);
            fwrite($conn, $request);
            $connections[] = $conn;
        }
        $answers = [];
        foreach ($connections as $conn) {
            $raw = stream_get_contents($conn);
            fclose($conn);
            $answers[] = json_decode((string)substr($raw, strpos($raw, "\r\n\r\n") + 4), true);
        }
        return $answers;
    }

    public function admin(string ...$args): mixed
    {
        return tool('admin', array_merge(['--data', $this->dataDir], $args));
    }
}

/** The record keys the tablet maps, per array. */
const RECORD_KEYS = [
    'salesmanArray' => ['creationDate', 'salesmanCode', 'username', 'password', 'status', 'employeeCode', 'address',
        'contactNo', 'mobileNo', 'faxNo', 'email', 'ipAddress', 'authToken', 'loginDate', 'lastUpdate'],
    'salesOrderArray' => ['creationDate', 'orderNo', 'purchaseOrderNo', 'orderDate', 'deliveryDate', 'soldToCode',
        'shipToCode', 'transactionStatus', 'uploadStatus', 'sapStatus', 'sapOrderNo', 'type', 'priority', 'remark', 'lastUpdate'],
    'brandArray' => ['creationDate', 'brandCode', 'brandLanguage', 'brandName', 'lastUpdate'],
    'materialArray' => ['creationDate', 'lastUpdate', 'skuCode', 'language', 'description', 'type', 'barcode', 'category',
        'subCategory', 'brand', 'subBrand', 'status', 'photo', 'priority', 'unit1', 'unit2',
        'Cat1', 'Cat2', 'Cat3', 'Cat4', 'Cat5', 'Cat6'],
    'salesOrderDetailArray' => ['creationDate', 'lastUpdate', 'skuCode', 'orderNo', 'uomCode', 'quantity', 'PromotionCode'],
    'fileArray' => ['url', 'filename'],
    'customerSoldToArray' => ['creationDate', 'lastUpdate', 'customerCode', 'customerName', 'salesGroup', 'status'],
    'customerShipToArray' => ['creationDate', 'lastUpdate', 'customerCode', 'shipToCode', 'description', 'status',
        'address', 'district', 'region', 'remarks'],
    'routingArray' => ['id', 'creationDate', 'lastUpdate', 'salesmanCode', 'start_date', 'end_date', 'status', 'routingId'],
    'routingShipToArray' => ['creationDate', 'lastUpdate', 'routingId', 'shipToCode', 'status'],
];

/** An order payload as the tablet builds it: sixteen fields, most enciphered. */
function orderPayload(string $po, string $items, string $remark = 'Bitte läuten'): array
{
    return [
        'purchaseOrderNo' => Cipher::encode($po), 'transactionStatus' => '20',
        'deliveryDate' => Cipher::encode('2030-01-04 00:00:00'), 'deliveryAddress' => Cipher::encode('93 Kings Row, Hillcrest'),
        'soldToCode' => Cipher::encode('100001'), 'shipToCode' => Cipher::encode('100001'), 'sapOrderNo' => '',
        'orderDate' => Cipher::encode('2030-01-02 09:30:00'), 'uploadStatus' => '10', 'remark' => Cipher::encode($remark),
        'sapStatus' => '', 'priority' => '-1', 'type' => '2', 'vdtype' => '1', 'paymenttype' => '2',
        'item' => Cipher::encode($items),
    ];
}

function nonEmptyArrays(array $result): array
{
    return array_keys(array_filter($result, fn ($v) => is_array($v) && $v !== []));
}

// ---------------------------------------------------------------------------

group('cipher', function (): void {
    $key = rtrim((string)file_get_contents(dirname(__DIR__, 2) . '/resources/keytext.txt'), "\r\n");
    check('the key text is 244 characters', strlen($key) === 244, (string)strlen($key));
    check('encode("abc") is each byte XOR the key, in lowercase hex', Cipher::encode('abc') === referenceEncode('abc', $key));
    check('a known vector: "demo" enciphers to 220c0803', Cipher::encode('demo') === '220c0803', Cipher::encode('demo'));
    $long = str_repeat('ab', 130);
    $enc = Cipher::encode($long);
    check('byte 244 takes the key from its start again', $enc === referenceEncode($long, $key)
        && substr($enc, 488, 2) === sprintf('%02x', ord('a') ^ ord($key[0])));
    $text = 'Café 東京 O\'Hara';
    check('multi-byte text: one key position per byte, and back', strlen(Cipher::encode($text)) === 2 * strlen($text)
        && Cipher::decode(Cipher::encode($text)) === $text);
    check('empty text enciphers and deciphers to empty', Cipher::encode('') === '' && Cipher::decode('') === '');
    check('upper-case, odd-length and non-hex input is refused',
        Cipher::decode(strtoupper(Cipher::encode('abc'))) === null && Cipher::decode('270b0') === null
        && Cipher::decode('zz') === null);
    check('bytes that are not UTF-8 are refused', Cipher::decode(referenceEncode("\xC3\x28", $key)) === null);
});

group('demo data', function (): void {
    $a = tempDir();
    $b = tempDir();
    $c = tempDir();
    try {
        $opts = ['--items', '30', '--customers', '10', '--pictures', '3'];
        tool('seed', array_merge(['--data', $a, '--today', '2024-03-15'], $opts));
        tool('seed', array_merge(['--data', $b, '--today', '2024-03-15'], $opts));
        tool('seed', array_merge(['--data', $c, '--today', '2024-03-16'], $opts));
        $da = tool('admin', ['--data', $a, 'digest']);
        $db = tool('admin', ['--data', $b, 'digest']);
        $dc = tool('admin', ['--data', $c, 'digest']);
        check('the same options and day give identical data and pictures', $da === $db && count($da) === 13);
        check('another day moves the dates', $da['routing'] !== $dc['routing']);
        $seeded = Db::open($a);
        check('--items and --pictures are honoured', (int)$seeded->one('SELECT COUNT(*) AS n FROM material')['n'] === 30
            && count(glob("$a/files/material/*.jpg")) === 3);
        $stops = $seeded->all("SELECT r.salesmanCode, s.shipToCode FROM routing r JOIN routingShipTo s USING (routingId)
            WHERE r.start_date < '2024-03-15' AND r.end_date > '2024-03-15' AND r.status = 20 AND s.status = 20");
        check('every salesman with orders has a current route', count(array_unique(array_column($stops, 'salesmanCode'))) === 3);
        $again = null;
        try {
            tool('seed', ['--data', $a]);
        } catch (\RuntimeException $e) {
            $again = $e->getMessage();
        }
        check('seeding a folder that holds data is refused', $again !== null);
    } finally {
        removeTree($a);
        removeTree($b);
        removeTree($c);
    }
});

$dataDir = tempDir();
try {
    $server = new TestServer($dataDir);
} catch (\Throwable $e) {
    check('the server starts', false, $e->getMessage());
    removeTree($dataDir);
    echo "$passed passed, $failed failed\n";
    exit(1);
}
register_shutdown_function(function () use ($server, $dataDir): void {
    $server->stop();
    removeTree($dataDir);
});

$session = [];

group('login', function () use ($server, &$session): void {
    $device = ['deviceModel' => 'Tablet', 'appVersion' => '1.0.7', 'osVersion' => '12', 'language' => 'en_US',
        'uuid' => 'TEST-DEVICE-1'];
    $wrong = $server->request('POST', '/api/login.php', $device + ['timeStamp' => '00000000000000',
        'username' => Cipher::encode('demo'), 'password' => Cipher::encode('demo9999')]);
    check('a wrong password is refused with a message, as JSON with HTTP 200',
        $wrong['code'] === 200 && str_starts_with($wrong['type'], 'application/json')
        && ($wrong['json']['status'] ?? 0) !== 0 && ($wrong['json']['message'] ?? '') === 'Login name or password is wrong...'
        && !isset($wrong['json']['authToken']), $wrong['body']);
    $plain = $server->api('login.php', $device + ['username' => 'demo', 'password' => 'demo1234']);
    check('credentials that are not enciphered are refused', ($plain['status'] ?? 0) !== 0 && !isset($plain['authToken']));
    $inactive = $server->api('login.php', $device + ['username' => Cipher::encode('carla'), 'password' => Cipher::encode('carla123')]);
    check('an inactive account is refused', ($inactive['status'] ?? 0) !== 0 && ($inactive['message'] ?? '') !== '');

    $ok = $server->api('login.php', $device + ['timeStamp' => '00000000000000',
        'username' => Cipher::encode('demo'), 'password' => Cipher::encode('demo1234')]);
    check('the demo account logs in with status 0, a token and a fourteen-digit mark', ($ok['status'] ?? null) === 0
        && preg_match('/^[0-9a-f]{32}$/', $ok['authToken'] ?? '') === 1 && preg_match('/^\d{14}$/', $ok['timeStamp'] ?? '') === 1);
    $result = $ok['result'];
    check('the result names the salesman', ($result['salesmanCode'] ?? '') === 'S001');
    $badKeys = [];
    foreach (RECORD_KEYS as $array => $keys) {
        if (!isset($result[$array]) || $result[$array] === []) {
            $badKeys[] = "$array missing or empty";
            continue;
        }
        foreach ($result[$array] as $record) {
            if (array_keys($record) !== $keys) {
                $badKeys[] = "$array: " . implode(',', array_keys($record));
                break;
            }
        }
    }
    check('a full answer carries every array, each record with exactly the mapped keys', $badKeys === [], implode('; ', $badKeys));
    $demo = array_values(array_filter($result['salesmanArray'], fn ($s) => $s['salesmanCode'] === 'S001'))[0];
    check('accounts travel enciphered', Cipher::decode($demo['username']) === 'demo' && Cipher::decode($demo['password']) === 'demo1234');
    $stored = array_column($server->admin('orders', '--salesman', 'S001'), 'purchaseOrderNo');
    $sent = array_column($result['salesOrderArray'], 'purchaseOrderNo');
    sort($stored);
    sort($sent);
    check("only the salesman's own orders are sent", $sent === $stored && count($sent) === 6);
    $lineOrders = array_unique(array_column($result['salesOrderDetailArray'], 'orderNo'));
    check('lines travel under their purchase order numbers', array_diff($lineOrders, $sent) === [] && count($lineOrders) === 6);
    $promoLines = array_filter($result['salesOrderDetailArray'], fn ($l) => $l['PromotionCode'] !== ' ');
    check('promotion lines carry the plain item code and their promotion code', $promoLines !== []
        && array_filter($promoLines, fn ($l) => str_contains($l['skuCode'], '_promo')) === []);
    $logins = $server->admin('logins');
    check('the login records the device fields', end($logins)['uuid'] === 'TEST-DEVICE-1' && end($logins)['appVersion'] === '1.0.7');
    $session = ['token' => $ok['authToken'], 'mark' => $ok['timeStamp'], 'file' => $result['fileArray'][0]];
});

group('pictures', function () use ($server, &$session): void {
    $file = $session['file'];
    check('fileArray names the cache path and an absolute URL', $file['filename'] === '/material/AQ10001.jpg'
        && $file['url'] === $server->base . '/__files__/material/AQ10001.jpg');
    $got = $server->request('GET', parse_url($file['url'], PHP_URL_PATH));
    check('a listed picture downloads as a JPEG', $got['code'] === 200 && $got['type'] === 'image/jpeg'
        && Pictures::isJpeg($got['body']));
    check('a missing picture answers 404', $server->request('GET', '/__files__/material/NOPE.jpg')['code'] === 404);
    check('paths outside the files folder answer 404',
        $server->request('GET', '/__files__/../fieldbook.sqlite')['code'] === 404
        && $server->request('GET', '/__files__/%2e%2e/fieldbook.sqlite')['code'] === 404);
});

group('incremental update', function () use ($server, &$session): void {
    $none = $server->api('getUpdateData.php', ['timeStamp' => $session['mark'], 'authToken' => $session['token']]);
    check('nothing changed: every array is empty and the mark stays', ($none['status'] ?? null) === 0
        && nonEmptyArrays($none['result']) === [] && $none['timeStamp'] === $session['mark']
        && !array_key_exists('brandArray', $none['result']), json_encode($none['result']));
    check('each accepted answer hands out a new token', ($none['authToken'] ?? $session['token']) !== $session['token']);

    $server->admin('touch-material', 'AQ10003', 'Alpenquell Lemon 500ml Bottle NEW');
    $server->admin('set', 'customerSoldTo', '100002', 'customerName=Greenleaf Superstore');
    // The earlier token stays valid: photos and promotions go out with it beside the queue.
    $first = $server->api('getUpdateData.php', ['timeStamp' => $session['mark'], 'authToken' => $session['token']]);
    $materials = $first['result']['materialArray'] ?? [];
    check('changes since the mark come back, and only they',
        nonEmptyArrays($first['result']) === ['materialArray', 'customerSoldToArray']
        && count($materials) === 1 && $materials[0]['description'] === 'Alpenquell Lemon 500ml Bottle NEW'
        && $first['result']['customerSoldToArray'][0]['customerName'] === 'Greenleaf Superstore');
    check('the mark advances', $first['timeStamp'] > $session['mark']);
    // Within the same second as the change above: the mark still tells them apart.
    $server->admin('touch-material', 'AQ10004');
    $second = $server->api('getUpdateData.php', ['timeStamp' => $first['timeStamp'], 'authToken' => $first['authToken']]);
    check('a change right after the previous answer is neither lost nor repeated',
        array_column($second['result']['materialArray'] ?? [], 'skuCode') === ['AQ10004']);
    $full = $server->api('getUpdateData.php', ['timeStamp' => '00000000000000', 'authToken' => $second['authToken']]);
    check('fourteen zeros ask for everything', count($full['result']['materialArray']) === 200);
    $ahead = $server->api('getUpdateData.php', ['timeStamp' => '99999999999999', 'authToken' => $second['authToken']]);
    check('a mark ahead of the data (rebuilt server) also gets everything', count($ahead['result']['materialArray']) === 200);
    $session['token'] = $second['authToken'];
    $session['mark'] = $second['timeStamp'];
});

group('sessions', function () use ($server): void {
    $missing = $server->api('getUpdateData.php', ['timeStamp' => '00000000000000']);
    check('an update without a token is refused with a message', ($missing['status'] ?? 0) !== 0
        && ($missing['message'] ?? '') !== '' && !isset($missing['result']));
    $bogus = $server->api('getUpdateData.php', ['timeStamp' => '00000000000000', 'authToken' => str_repeat('0', 32)]);
    check('an unknown token is refused', ($bogus['status'] ?? 0) !== 0 && !isset($bogus['result']));
    $promo = $server->api('getpromotion.php', ['timeStamp' => '00000000000000']);
    check('promotions without a token are refused without a result', ($promo['status'] ?? 0) !== 0 && !isset($promo['result']));
});

group('promotions', function () use ($server, &$session): void {
    $answer = $server->api('getpromotion.php', ['timeStamp' => $session['mark'], 'authToken' => $session['token']]);
    $promos = $answer['result'] ?? [];
    check('every promotion comes back, even with a current mark', ($answer['status'] ?? null) === 0 && count($promos) === 6);
    $keys = ['PromotionId', 'PromotionCode', 'PromotionName', 'PromotionDesc', 'creationDate', 'lastUpdate', '0', 'Expiry'];
    check('each promotion has exactly the expected keys', array_filter($promos, fn ($p) => array_map('strval', array_keys($p)) !== $keys) === []);
    $products = $promos[0]['0'] ?? [];
    check('the product list names items and their status', $products !== []
        && array_filter($products, fn ($p) => !isset($p['skuCode'], $p['status'])) === []
        && in_array('10', array_column($products, 'status'), true) && in_array('20', array_column($products, 'status'), true));
});

group('order upload', function () use ($server, &$session): void {
    $po = 'Sunrise.1893456000123';
    $payload = orderPayload($po, 'AQ10001,5,CS, ,SD10001_promo,2,EA,P1002');
    $first = $server->api('updateOrder.php', $payload + ['authToken' => $session['token']], []);
    $orderNo = $first['result'][0]['orderNo'] ?? null;
    check('an order is accepted with a server number and a new token', ($first['status'] ?? null) === 0
        && is_string($orderNo) && $orderNo !== '' && ($first['authToken'] ?? '') !== '', json_encode($first));
    $stored = $server->admin('orders', '--po', $po);
    $o = $stored[0] ?? [];
    check('the order is stored deciphered', count($stored) === 1 && $o['soldToCode'] === '100001'
        && $o['remark'] === 'Bitte läuten' && $o['deliveryDate'] === '2030-01-04 00:00:00'
        && $o['creationDate'] === '2030-01-02 09:30:00' && $o['type'] === '2' && $o['paymenttype'] === '2');
    check('its lines are stored with plain item codes and promotion codes', ($o['lines'] ?? []) === [
        ['skuCode' => 'AQ10001', 'quantity' => '5', 'uomCode' => 'CS', 'PromotionCode' => ' '],
        ['skuCode' => 'SD10001', 'quantity' => '2', 'uomCode' => 'EA', 'PromotionCode' => 'P1002'],
    ], json_encode($o['lines'] ?? null));

    $again = $server->api('updateOrder.php', $payload + ['authToken' => $first['authToken']], []);
    check('the same order sent again gets the same number and stays one order',
        ($again['result'][0]['orderNo'] ?? null) === $orderNo && count($server->admin('orders', '--po', $po)) === 1);

    $update = $server->api('getUpdateData.php', ['timeStamp' => $session['mark'], 'authToken' => $again['authToken']]);
    $orders = array_values(array_filter($update['result']['salesOrderArray'], fn ($x) => $x['purchaseOrderNo'] === $po));
    $lines = array_values(array_filter($update['result']['salesOrderDetailArray'], fn ($x) => $x['orderNo'] === $po));
    check('the next update brings the order back with its server number and lines',
        count($orders) === 1 && $orders[0]['orderNo'] === $orderNo && $orders[0]['uploadStatus'] === '30'
        && array_column($lines, 'PromotionCode') === [' ', 'P1002'] && array_column($lines, 'skuCode') === ['AQ10001', 'SD10001']);

    $token = $update['authToken'];
    $missing = orderPayload('Sunrise.1893456000999', 'AQ10001,1,CS, ');
    unset($missing['item']);
    $refusals = [
        'a missing field' => $missing,
        'a line with three values' => orderPayload('Sunrise.1893456000999', 'AQ10001,1,CS'),
        'a quantity that is no number' => orderPayload('Sunrise.1893456000999', 'AQ10001,many,CS, '),
        'an upper-case enciphered field' => ['purchaseOrderNo' => strtoupper(Cipher::encode('Sunrise.1893456000999'))]
            + orderPayload('Sunrise.1893456000999', 'AQ10001,1,CS, '),
    ];
    foreach ($refusals as $what => $bad) {
        $answer = $server->api('updateOrder.php', $bad + ['authToken' => $token], []);
        check("an order with $what is refused with a message", ($answer['status'] ?? 0) !== 0
            && ($answer['message'] ?? '') !== '' && !isset($answer['result']), json_encode($answer));
    }
    check('refused orders are not stored', $server->admin('orders', '--po', 'Sunrise.1893456000999') === []);

    $server->admin('set-status', $orderNo, '40', '--sap-status', 'Confirmed', '--sap-order-no', '4500099999');
    $changed = $server->api('updateOrder.php', orderPayload($po, 'AQ10001,50,CS, ') + ['authToken' => $token], []);
    $kept = $server->admin('orders', '--po', $po)[0];
    check('a changed repeat of an order the back office has taken keeps the stored order',
        ($changed['result'][0]['orderNo'] ?? null) === $orderNo && count($kept['lines']) === 2
        && $kept['sapOrderNo'] === '4500099999' && $kept['uploadCount'] === '3');
    $session['token'] = $changed['authToken'];
    $session['po'] = $po;
});

group('simultaneous uploads', function () use ($server, &$session): void {
    $po = 'Harbor.1893456000321';
    $answers = $server->concurrent('/api/updateOrder.php',
        orderPayload($po, 'CB10001,4,CS, ') + ['authToken' => $session['token']], 3);
    $numbers = array_map(fn ($a) => $a['result'][0]['orderNo'] ?? null, $answers);
    check('the same order sent three times at once gives one order and one number',
        array_column($answers, 'status') === [0, 0, 0] && count(array_unique($numbers)) === 1 && $numbers[0] !== null
        && count($server->admin('orders', '--po', $po)) === 1, json_encode($answers));
});

group('switched-off accounts', function () use ($server): void {
    $login = fn () => $server->api('login.php', ['username' => Cipher::encode('anna'), 'password' => Cipher::encode('anna1234'),
        'timeStamp' => '00000000000000']);
    $before = $login();
    $server->admin('set', 'salesman', 'anna', 'status=10');
    $update = $server->api('getUpdateData.php', ['timeStamp' => $before['timeStamp'] ?? '', 'authToken' => $before['authToken'] ?? '']);
    check('a salesman switched off loses the session and cannot log in again', ($before['status'] ?? null) === 0
        && ($update['status'] ?? 0) === 3 && ($login()['status'] ?? 0) === 1);
});

group('faults', function () use ($server, &$session): void {
    $token = $session['token'];
    $server->admin('fault', 'updateOrder', 'lose');
    $po = 'Corner.1893456000456';
    $lost = $server->request('POST', '/api/updateOrder.php', orderPayload($po, 'CR10001,3,CS, ') + ['authToken' => $token], []);
    $stored = $server->admin('orders', '--po', $po);
    check('a lost answer: the tablet sees HTTP 502, the server has the order', $lost['code'] === 502 && count($stored) === 1);
    $retry = $server->api('updateOrder.php', orderPayload($po, 'CR10001,3,CS, ') + ['authToken' => $token], []);
    check('the retry after a lost answer gets the number already given',
        ($retry['result'][0]['orderNo'] ?? null) === $stored[0]['orderNo'] && count($server->admin('orders', '--po', $po)) === 1);

    $server->admin('fault', 'updateOrder', 'refuse', '1');
    $refused = $server->api('updateOrder.php', orderPayload('Corner.1893456000789', 'CR10001,1,CS, ') + ['authToken' => $token], []);
    $next = $server->api('updateOrder.php', orderPayload('Corner.1893456000789', 'CR10001,1,CS, ') + ['authToken' => $token], []);
    check('refuse answers a non-zero status once, then the server accepts again',
        ($refused['status'] ?? 0) === 5 && ($refused['message'] ?? '') !== '' && ($next['status'] ?? null) === 0);

    $server->admin('fault', 'getUpdateData', 'html');
    $html = $server->request('POST', '/api/getUpdateData.php', ['timeStamp' => '00000000000000', 'authToken' => $token]);
    check('html answers a page with HTTP 200', $html['code'] === 200 && str_starts_with($html['type'], 'text/html'));
    $server->admin('fault', 'getpromotion', 'stall', '1', '--seconds', '1');
    $slow = $server->request('POST', '/api/getpromotion.php', ['authToken' => $token]);
    check('stall delays the answer, then answers normally', $slow['seconds'] >= 0.9 && ($slow['json']['status'] ?? null) === 0);
    check('faults are used up', $server->admin('faults') === []);
    $session['token'] = $next['authToken'];
});

group('item pictures', function () use ($server, &$session): void {
    $bytes = jpeg(10, 200, 90);
    $answer = $server->api('uploadFile.php', ['authToken' => $session['token'], 'skuCode' => 'AQ10002'],
        [['file', 'AQ10002', $bytes]]);
    check('an item picture is accepted with a token', ($answer['status'] ?? null) === 0 && ($answer['authToken'] ?? '') !== '');
    $served = $server->request('GET', '/__files__/material/AQ10002.jpg');
    check('it is served under the item code', $served['code'] === 200 && $served['body'] === $bytes);
    $update = $server->api('getUpdateData.php', ['timeStamp' => $session['mark'], 'authToken' => $answer['authToken']]);
    check('the next update lists it in fileArray', array_column($update['result']['fileArray'], 'filename') === ['/material/AQ10002.jpg']);
    $text = $server->api('uploadFile.php', ['authToken' => $answer['authToken'], 'skuCode' => 'AQ10002'],
        [['file', 'AQ10002', 'not a picture']]);
    check('a file that is not a JPEG is refused and the token comes back', ($text['status'] ?? 0) !== 0
        && ($text['authToken'] ?? '') === $answer['authToken'] && $server->request('GET', '/__files__/material/AQ10002.jpg')['body'] === $bytes);
    $escape = $server->api('uploadFile.php', ['authToken' => $answer['authToken'], 'skuCode' => '../x'], [['file', 'x', $bytes]]);
    check('an item code that is no file name is refused', ($escape['status'] ?? 0) !== 0 && !is_file($server->dataDir . '/files/x.jpg'));
    $session['token'] = $update['authToken'];
});

group('order photos', function () use ($server, &$session): void {
    $photo = jpeg(200, 30, 30);
    $send = fn (string $bytes, string $orderNo) => $server->api('uploadorderimg.php', ['authToken' => $session['token'],
        'orderno' => $orderNo, 'image' => base64_encode($bytes)], [['image', '', $bytes]]);
    $first = $send($photo, $session['po']);
    $photos = $server->admin('orders', '--po', $session['po'])[0]['photos'];
    check('a photo is filed under its order', ($first['status'] ?? null) === 0 && count($photos) === 1
        && $photos[0]['sha1'] === sha1($photo) && is_file($server->dataDir . '/orders/' . $photos[0]['file']));
    $send($photo, $session['po']);
    $send(jpeg(30, 30, 200), $session['po']);
    check('the same photo sent again is kept once, another one is added',
        count($server->admin('orders', '--po', $session['po'])[0]['photos']) === 2);
    $unknown = $send($photo, 'Nobody.1');
    check('a photo for an unknown order is refused', ($unknown['status'] ?? 0) !== 0);
});

group('crash reports and odd requests', function () use ($server): void {
    $fields = ['deviceModel' => 'Tablet', 'appVersion' => '1.0.7', 'osVersion' => '12', 'language' => 'de_DE',
        'uuid' => 'TEST-DEVICE-1', 'crash_message' => "SIGSEGV\nframe 0: main"];
    $answer = $server->api('crashLog.php', $fields, []);
    unset($fields['crash_message']);
    $server->api('crashLog.php', $fields, []);
    $crashes = $server->admin('crashes');
    check('crash reports are appended to the log, with or without a message', ($answer['status'] ?? null) === 0
        && count($crashes) === 2 && $crashes[0]['crash_message'] === "SIGSEGV\nframe 0: main"
        && !isset($crashes[1]['crash_message']) && $crashes[1]['language'] === 'de_DE');
    $unknown = $server->request('POST', '/api/nothing.php', ['a' => 'b']);
    check('an unknown path answers 404 as JSON', $unknown['code'] === 404 && is_array($unknown['json']));
    check('an endpoint asked with GET answers 405', $server->request('GET', '/api/login.php')['code'] === 405);
    $admin = $server->request('POST', '/__admin__', ['argv' => json_encode(['mark'])]);
    check('the admin facility answers on the loopback address', ($admin['json']['status'] ?? null) === 0
        && preg_match('/^\d{14}$/', $admin['json']['result']['timeStamp'] ?? '') === 1);
});

group('ending sessions', function () use ($server, &$session): void {
    $server->admin('expire-tokens', 'demo');
    $answer = $server->api('getUpdateData.php', ['timeStamp' => '00000000000000', 'authToken' => $session['token']]);
    check('an expired session is refused', ($answer['status'] ?? 0) === 3 && !isset($answer['result']));
});

echo "$passed passed, $failed failed\n";
exit($failed === 0 ? 0 : 1);
