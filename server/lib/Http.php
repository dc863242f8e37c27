<?php
declare(strict_types=1);

namespace FieldBookServer;

/** Writing answers: the JSON envelope the tablets read, and plain files. */
final class Http
{
    public const JSON_FLAGS = JSON_UNESCAPED_SLASHES | JSON_UNESCAPED_UNICODE
        | JSON_INVALID_UTF8_SUBSTITUTE | JSON_THROW_ON_ERROR;

    /** @param array<string, mixed> $body */
    public static function json(array $body, int $httpCode = 200): void
    {
        http_response_code($httpCode);
        header('Content-Type: application/json');
        header('Cache-Control: no-store');
        echo json_encode($body, self::JSON_FLAGS);
    }

    /**
     * A refusal: a non-zero status with a message for the salesman. Refusals
     * travel with HTTP 200 so the tablet shows our message rather than a
     * transport error.
     */
    public static function refuse(int $status, string $message, ?string $authToken = null, int $httpCode = 200): void
    {
        $body = ['status' => $status, 'message' => $message];
        if ($authToken !== null && $authToken !== '') {
            $body['authToken'] = $authToken;
        }
        self::json($body, $httpCode);
    }

    public static function html(string $html, int $httpCode): void
    {
        http_response_code($httpCode);
        header('Content-Type: text/html; charset=UTF-8');
        echo $html;
    }

    public static function file(string $path, bool $withBody): void
    {
        $types = ['jpg' => 'image/jpeg', 'jpeg' => 'image/jpeg', 'png' => 'image/png', 'gif' => 'image/gif'];
        $ext = strtolower(pathinfo($path, PATHINFO_EXTENSION));
        http_response_code(200);
        header('Content-Type: ' . ($types[$ext] ?? 'application/octet-stream'));
        header('Content-Length: ' . (string)filesize($path));
        header('Cache-Control: no-cache');
        if ($withBody) {
            readfile($path);
        }
    }
}
