<?php
// Test-only router for PHP's built-in web server: it tells the tests what PHP
// made of their requests, and answers slowly, cut short or not at all.
//   php -S 127.0.0.1:PORT -t tests/integration tests/integration/echo_router.php
declare(strict_types=1);

function answer(string $contentType, string $body, int $status = 200): void
{
    http_response_code($status);
    header('Content-Type: ' . $contentType);
    echo $body;
}

switch (parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH)) {
    case '/echo':
        // What PHP's own parser received. Uploaded files are reported with their
        // bytes (base64), since $_FILES only holds a temporary path.
        $files = [];
        foreach ($_FILES as $field => $file) {
            $content = is_uploaded_file($file['tmp_name']) ? file_get_contents($file['tmp_name']) : '';
            $files[$field] = array_intersect_key($file, array_flip(['name', 'type', 'size', 'error']))
                + ['content' => base64_encode($content)];
        }
        answer('application/json', json_encode([
            'method' => $_SERVER['REQUEST_METHOD'],
            'post' => (object) $_POST,
            'files' => (object) $files,
            'headers' => array_change_key_case(getallheaders()),
            // php://input is empty for multipart bodies; PHP consumed them.
            'raw' => base64_encode(file_get_contents('php://input')),
        ], JSON_UNESCAPED_SLASHES | JSON_UNESCAPED_UNICODE | JSON_THROW_ON_ERROR));
        break;
    case '/slow':
        usleep(1000 * (int) ($_GET['ms'] ?? 1000));
        answer('application/json', '{"status":0}');
        break;
    case '/drop':
        // Promises more than it sends, then the server closes the connection:
        // the client sees the connection lost in the middle of the answer.
        header('Content-Length: 100000');
        answer($_GET['type'] ?? 'application/json', '{"status":0,');
        flush();
        exit;
    case '/file':
        // A body the client can check byte for byte: every byte value, repeated.
        $size = (int) ($_GET['size'] ?? 1000);
        answer('application/octet-stream', substr(str_repeat(implode(array_map('chr', range(0, 255))), intdiv($size, 256) + 1), 0, $size));
        break;
    default:
        answer('text/plain', 'no such route: ' . $_SERVER['REQUEST_URI'], 404);
}
