<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * The string cipher shared with the tablets: every UTF-8 byte is XOR-ed with
 * the key text's byte at the same position (the key restarting after its
 * last byte) and written as two lowercase hexadecimal digits.
 */
final class Cipher
{
    public static function encode(string $plain, ?string $key = null): string
    {
        if ($plain === '') {
            return '';
        }
        return bin2hex($plain ^ self::keyStream($key ?? Config::keyText(), strlen($plain)));
    }

    /**
     * The plain text, or null when the input is not lowercase hexadecimal of
     * even length or the bytes are not UTF-8 text. The tablets only ever send
     * what their encipherer wrote, so anything else is a malformed request.
     */
    public static function decode(string $hex, ?string $key = null): ?string
    {
        if ($hex === '') {
            return '';
        }
        if (strlen($hex) % 2 !== 0 || strspn($hex, '0123456789abcdef') !== strlen($hex)) {
            return null;
        }
        $bytes = (string)hex2bin($hex);
        $plain = $bytes ^ self::keyStream($key ?? Config::keyText(), strlen($bytes));
        return preg_match('//u', $plain) === 1 ? $plain : null;
    }

    private static function keyStream(string $key, int $length): string
    {
        $repeat = intdiv($length, strlen($key)) + 1;
        return substr(str_repeat($key, $repeat), 0, $length);
    }
}
