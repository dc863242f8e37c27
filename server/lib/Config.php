<?php
declare(strict_types=1);

namespace FieldBookServer;

/** Where things live: the repository, the data folder and the key text. */
final class Config
{
    private static ?string $keyText = null;

    public static function serverDir(): string
    {
        return dirname(__DIR__);
    }

    public static function repoRoot(): string
    {
        return dirname(__DIR__, 2);
    }

    /**
     * The data folder: FIELDBOOK_SERVER_DATA, or server/var beside the code.
     * Created on demand so a bare `php -S` start works too.
     */
    public static function dataDir(?string $override = null): string
    {
        $dir = $override;
        if ($dir === null || $dir === '') {
            $env = getenv('FIELDBOOK_SERVER_DATA');
            $dir = ($env !== false && $env !== '') ? $env : self::serverDir() . '/var';
        }
        if (!is_dir($dir) && !@mkdir($dir, 0775, true) && !is_dir($dir)) {
            throw new \RuntimeException("cannot create data folder $dir");
        }
        return rtrim((string)realpath($dir), '/');
    }

    public static function databasePath(string $dataDir): string
    {
        return $dataDir . '/fieldbook.sqlite';
    }

    /** Folder whose files are served under /__files__/ (item pictures). */
    public static function filesDir(string $dataDir): string
    {
        return $dataDir . '/files';
    }

    public static function orderPhotoDir(string $dataDir): string
    {
        return $dataDir . '/orders';
    }

    public static function crashLogPath(string $dataDir): string
    {
        return $dataDir . '/crashlog.jsonl';
    }

    /** The fixed key text shared with the tablets, without a trailing newline. */
    public static function keyText(): string
    {
        if (self::$keyText === null) {
            $path = self::repoRoot() . '/resources/keytext.txt';
            $text = @file_get_contents($path);
            if ($text === false) {
                throw new \RuntimeException("cannot read the key text at $path");
            }
            $text = rtrim($text, "\r\n");
            if ($text === '') {
                throw new \RuntimeException("the key text at $path is empty");
            }
            self::$keyText = $text;
        }
        return self::$keyText;
    }
}
