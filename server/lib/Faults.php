<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * A switch for tests: make the next answers of one endpoint misbehave the
 * way a real network and a real order server sometimes do.
 */
final class Faults
{
    public const ENDPOINTS = ['login', 'getUpdateData', 'getpromotion', 'updateOrder', 'uploadFile',
        'uploadorderimg', 'crashLog', 'files'];

    public const MODES = [
        'refuse' => 'answer status 5 with a message, doing nothing',
        'html' => 'answer an HTML page with HTTP 200, doing nothing',
        'http500' => 'answer HTTP 500 with a JSON error, doing nothing',
        'empty' => 'answer HTTP 200 with an empty body, doing nothing',
        'nostatus' => 'answer JSON without "status", doing nothing',
        'badjson' => 'answer HTTP 200 with JSON cut short, doing nothing',
        'drop' => 'start an answer, then close the connection in the middle of it, doing nothing',
        'stall' => 'wait --seconds S (default 5), then handle the request normally',
        'lose' => 'handle the request normally, then answer HTTP 502 instead of the result',
    ];

    /** Arms a fault; $count 0 keeps it until cleared. */
    public static function arm(Db $db, string $endpoint, string $mode, int $count, int $seconds): array
    {
        if (!in_array($endpoint, self::ENDPOINTS, true)) {
            throw new UsageError("unknown endpoint '$endpoint' (one of: " . implode(', ', self::ENDPOINTS) . ')');
        }
        if (!isset(self::MODES[$mode])) {
            throw new UsageError("unknown fault mode '$mode' (one of: " . implode(', ', array_keys(self::MODES)) . ')');
        }
        if ($count < 0 || $seconds < 0) {
            throw new UsageError('count and seconds must not be negative');
        }
        $db->quietWrite(fn () => $db->run(
            'INSERT INTO fault (endpoint, mode, remaining, seconds, createdAt) VALUES (?, ?, ?, ?, ?)',
            [$endpoint, $mode, $count, $mode === 'stall' && $seconds === 0 ? 5 : $seconds, Clock::now()]));
        return self::list($db);
    }

    public static function clear(Db $db, ?string $endpoint): int
    {
        return $db->quietWrite(fn () => $endpoint === null
            ? $db->run('DELETE FROM fault')
            : $db->run('DELETE FROM fault WHERE endpoint = ?', [$endpoint]));
    }

    public static function list(Db $db): array
    {
        return $db->all('SELECT endpoint, mode, remaining, seconds, createdAt FROM fault ORDER BY id');
    }

    /**
     * Takes the oldest armed fault of an endpoint, counting it down.
     *
     * @return array{mode: string, seconds: int}|null
     */
    public static function take(Db $db, string $endpoint): ?array
    {
        // Cheap check first: most requests find nothing armed.
        if ($db->one('SELECT 1 AS armed FROM fault WHERE endpoint = ? LIMIT 1', [$endpoint]) === null) {
            return null;
        }
        return $db->quietWrite(function () use ($db, $endpoint): ?array {
            $row = $db->one('SELECT id, mode, remaining, seconds FROM fault WHERE endpoint = ? ORDER BY id LIMIT 1', [$endpoint]);
            if ($row === null) {
                return null;
            }
            if ((int)$row['remaining'] === 1) {
                $db->run('DELETE FROM fault WHERE id = ?', [$row['id']]);
            } elseif ((int)$row['remaining'] > 1) {
                $db->run('UPDATE fault SET remaining = remaining - 1 WHERE id = ?', [$row['id']]);
            }
            return ['mode' => (string)$row['mode'], 'seconds' => (int)$row['seconds']];
        });
    }
}
