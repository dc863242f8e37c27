<?php
// Router for PHP's built-in web server:
//   php -S 127.0.0.1:8080 server/router.php
// The base URL for the tablet is then http://127.0.0.1:8080/api/.
declare(strict_types=1);

namespace FieldBookServer;

require __DIR__ . '/lib/bootstrap.php';

/** Opens the data folder, filling it with the demo data the first time. */
function openData(): Db
{
    $dataDir = Config::dataDir();
    $db = Db::open($dataDir);
    if (!$db->isSeeded()) {
        // Several workers may start on an empty folder at once; one seeds.
        $lock = fopen($dataDir . '/.seed.lock', 'c');
        flock($lock, LOCK_EX);
        try {
            if (!$db->isSeeded()) {
                Seeder::seed($db);
            }
        } finally {
            flock($lock, LOCK_UN);
            fclose($lock);
        }
    }
    return $db;
}

function isLoopback(string $address): bool
{
    return $address === '::1' || str_starts_with($address, '127.') || str_starts_with($address, '::ffff:127.');
}

/** Answers the misbehaviour a test asked for; false when the request goes on normally. */
function applyFault(array $fault, ?string $token): bool
{
    switch ($fault['mode']) {
        case 'refuse':
            Http::refuse(Refusal::BUSY, 'The order server is busy. Please try again later...', $token);
            return true;
        case 'html':
            Http::html("<!DOCTYPE html>\n<html><head><title>Maintenance</title></head>"
                . "<body><h1>Down for maintenance</h1></body></html>\n", 200);
            return true;
        case 'http500':
            Http::json(['status' => 500, 'message' => 'Internal server error'], 500);
            return true;
        case 'empty':
            http_response_code(200);
            header('Content-Type: application/json');
            return true;
        case 'nostatus':
            Http::json(['message' => 'An answer without a status', 'result' => []]);
            return true;
        case 'badjson':
            http_response_code(200);
            header('Content-Type: application/json');
            echo '{"status": 0, "result": [';
            return true;
        case 'drop':
            // Promise more than is sent, then hang up: the client sees the
            // connection closed in the middle of the answer.
            http_response_code(200);
            header('Content-Type: application/json');
            header('Content-Length: 4096');
            echo '{"status": 0, "res';
            flush();
            exit;
        case 'stall':
            sleep(max(0, $fault['seconds']));
            return false;
        default:
            return false;
    }
}

function handleApi(Db $db, string $endpoint): void
{
    $handler = Api::ENDPOINTS[$endpoint];
    $token = isset($_POST['authToken']) && is_string($_POST['authToken']) ? $_POST['authToken'] : null;
    if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
        Http::refuse(Refusal::MALFORMED, "$endpoint answers POST requests only.", null, 405);
        return;
    }
    $fault = Faults::take($db, $handler);
    if ($fault !== null && applyFault($fault, $token)) {
        return;
    }
    $lose = $fault !== null && $fault['mode'] === 'lose';
    if ($lose) {
        ob_start();
    }
    $host = $_SERVER['HTTP_HOST'] ?? ('127.0.0.1:' . $_SERVER['SERVER_PORT']);
    // Behind a TLS front (nginx, the tests' tls_front.py) the picture links
    // must say https, or the tablet would knock on the TLS port in clear.
    $scheme = ($_SERVER['HTTP_X_FORWARDED_PROTO'] ?? '') === 'https' ? 'https' : 'http';
    $api = new Api($db, $_POST, $_FILES, $scheme . '://' . $host . '/__files__', (string)($_SERVER['REMOTE_ADDR'] ?? ''));
    try {
        $api->$handler();
    } catch (Refusal $refusal) {
        Http::refuse($refusal->status, $refusal->getMessage(), $token);
    }
    if ($lose) {
        // The request has been carried out; its answer never reaches the tablet.
        ob_end_clean();
        header_remove();
        Http::html("<!DOCTYPE html>\n<html><body><h1>502 Bad Gateway</h1></body></html>\n", 502);
    }
}

function handleFile(Db $db, string $relative): void
{
    if (!in_array($_SERVER['REQUEST_METHOD'], ['GET', 'HEAD'], true)) {
        Http::json(['status' => 405, 'message' => 'Files are fetched with GET.'], 405);
        return;
    }
    $fault = Faults::take($db, 'files');
    if ($fault !== null) {
        // A file answer has no envelope: refusals become HTTP errors, while
        // "html" still answers 200 with a page, as a captive portal would.
        if ($fault['mode'] === 'refuse') {
            Http::json(['status' => 503, 'message' => 'File service unavailable'], 503);
            return;
        }
        if ($fault['mode'] === 'lose') {
            Http::html("<!DOCTYPE html>\n<html><body><h1>502 Bad Gateway</h1></body></html>\n", 502);
            return;
        }
        if (applyFault($fault, null)) {
            return;
        }
    }
    $root = (string)realpath(Config::filesDir($db->dataDir));
    $path = $root === '' ? false : realpath($root . '/' . $relative);
    if ($path === false || !str_starts_with($path, $root . '/') || !is_file($path)) {
        Http::json(['status' => 404, 'message' => 'No such file'], 404);
        return;
    }
    Http::file($path, $_SERVER['REQUEST_METHOD'] === 'GET');
}

function handleAdmin(Db $db): void
{
    if (!isLoopback((string)($_SERVER['REMOTE_ADDR'] ?? ''))) {
        Http::json(['status' => 403, 'message' => 'The admin facility answers on the loopback address only.'], 403);
        return;
    }
    $raw = $_POST['argv'] ?? $_GET['argv'] ?? '[]';
    $args = is_string($raw) ? json_decode($raw, true) : null;
    if (!is_array($args) || array_filter($args, 'is_string') !== $args) {
        Http::json(['status' => 2, 'message' => 'argv must be a JSON array of texts'], 400);
        return;
    }
    try {
        Http::json(['status' => 0, 'result' => Admin::run($db, array_values($args))]);
    } catch (UsageError $e) {
        Http::json(['status' => 2, 'message' => $e->getMessage()], 400);
    }
}

$path = rawurldecode((string)parse_url($_SERVER['REQUEST_URI'] ?? '/', PHP_URL_PATH));
try {
    $db = openData();
    if (str_starts_with($path, '/api/') && isset(Api::ENDPOINTS[substr($path, 5)])) {
        handleApi($db, substr($path, 5));
    } elseif (str_starts_with($path, '/__files__/')) {
        handleFile($db, substr($path, strlen('/__files__/')));
    } elseif ($path === '/__admin__' || $path === '/__admin__/') {
        handleAdmin($db);
    } elseif ($path === '/') {
        Http::json(['status' => 0, 'message' => 'Field Book order server', 'api' => '/api/']);
    } else {
        Http::json(['status' => 404, 'message' => "No such endpoint: $path"], 404);
    }
} catch (\Throwable $e) {
    error_log('fieldbook server: ' . $e::class . ': ' . $e->getMessage() . ' at ' . $e->getFile() . ':' . $e->getLine());
    if (!headers_sent()) {
        while (ob_get_level() > 0) {
            ob_end_clean();
        }
        header_remove();
        Http::json(['status' => 500, 'message' => 'Internal server error'], 500);
    }
}
