<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * Session tokens. Every accepted login, update and upload hands out a fresh
 * token, but earlier ones stay valid until they expire: the tablet sends
 * photos and promotion requests beside its queue with whichever token it
 * held at the time, and none of those may be refused for it.
 */
final class Session
{
    public static function ttl(): int
    {
        $env = getenv('FIELDBOOK_TOKEN_TTL');
        return ($env !== false && ctype_digit($env) && (int)$env > 0) ? (int)$env : 86400;
    }

    public static function issue(Db $db, string $salesmanCode, string $uuid): string
    {
        $token = bin2hex(random_bytes(16));
        $now = time();
        $db->quietWrite(fn () => $db->run('INSERT INTO authToken (token, salesmanCode, issuedAt, expiresAt, uuid)
            VALUES (?, ?, ?, ?, ?)', [$token, $salesmanCode, $now, $now + self::ttl(), $uuid]));
        return $token;
    }

    /**
     * The active salesman that a token belongs to, with the token's device.
     *
     * @return array<string, string>
     */
    public static function check(Db $db, ?string $token): array
    {
        if ($token === null || $token === '') {
            throw new Refusal(Refusal::SESSION, 'You are not logged in. Please log in again...');
        }
        $row = $db->one('SELECT s.*, t.uuid AS tokenUuid, t.expiresAt FROM authToken t
            JOIN salesman s ON s.salesmanCode = t.salesmanCode WHERE t.token = ?', [$token]);
        if ($row === null || (int)$row['expiresAt'] <= time()) {
            throw new Refusal(Refusal::SESSION, 'Your session has expired. Please log in again...');
        }
        if ((int)$row['status'] !== 20) {
            throw new Refusal(Refusal::SESSION, 'This account is no longer active. Please contact your office...');
        }
        return $row;
    }

    public static function pruneExpired(Db $db): void
    {
        $db->quietWrite(fn () => $db->run('DELETE FROM authToken WHERE expiresAt <= ?', [time()]));
    }

    /** Ends sessions at once, for tests of what happens when a token runs out. */
    public static function expire(Db $db, ?string $salesmanCode): int
    {
        return $db->quietWrite(fn () => $salesmanCode === null
            ? $db->run('UPDATE authToken SET expiresAt = 0')
            : $db->run('UPDATE authToken SET expiresAt = 0 WHERE salesmanCode = ?', [$salesmanCode]));
    }
}
