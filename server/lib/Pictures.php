<?php
declare(strict_types=1);

namespace FieldBookServer;

/** Item pictures (served under /__files__/material/) and order photos. */
final class Pictures
{
    /** Item codes become file names, so only plain file-name characters pass. */
    public static function isSafeSku(string $sku): bool
    {
        return preg_match('/^[A-Za-z0-9][A-Za-z0-9._-]{0,63}$/', $sku) === 1;
    }

    public static function isJpeg(string $bytes): bool
    {
        if (strlen($bytes) < 4 || strncmp($bytes, "\xFF\xD8\xFF", 3) !== 0) {
            return false;
        }
        $info = @getimagesizefromstring($bytes);
        return is_array($info) && $info[2] === IMAGETYPE_JPEG;
    }

    /** Stores an item picture and records it for the next synchronisations. */
    public static function storeItemPicture(Db $db, string $sku, string $bytes, string $source,
                                            ?int $seq = null, ?string $time = null): void
    {
        $time ??= Clock::now();
        $dir = Config::filesDir($db->dataDir) . '/material';
        self::writeAtomically($dir . '/' . $sku . '.jpg', $bytes);
        $record = function (int $seq) use ($db, $sku, $bytes, $source, $time): void {
            $db->run('INSERT INTO picture (skuCode, size, sha1, source, lastUpdate, seq) VALUES (?, ?, ?, ?, ?, ?)
                ON CONFLICT(skuCode) DO UPDATE SET size = excluded.size, sha1 = excluded.sha1,
                source = excluded.source, lastUpdate = excluded.lastUpdate, seq = excluded.seq',
                [$sku, strlen($bytes), sha1($bytes), $source, $time, $seq]);
        };
        if ($seq === null) {
            $db->write($record);
        } else {
            $record($seq);
        }
    }

    /**
     * Files a photo under its order. The tablet sends an order's photos again
     * when the order is uploaded again, so identical bytes are kept once.
     */
    public static function storeOrderPhoto(Db $db, array $order, string $bytes): array
    {
        $sha1 = sha1($bytes);
        return $db->quietWrite(function () use ($db, $order, $bytes, $sha1): array {
            $known = $db->one('SELECT file FROM orderPhoto WHERE orderId = ? AND sha1 = ?', [$order['id'], $sha1]);
            if ($known !== null) {
                return ['file' => $known['file'], 'new' => false];
            }
            $count = (int)$db->one('SELECT COUNT(*) AS n FROM orderPhoto WHERE orderId = ?', [$order['id']])['n'];
            $file = $order['orderNo'] . '/' . sprintf('%03d', $count + 1) . '.jpg';
            self::writeAtomically(Config::orderPhotoDir($db->dataDir) . '/' . $file, $bytes);
            $db->run('INSERT INTO orderPhoto (orderId, file, size, sha1, receivedAt) VALUES (?, ?, ?, ?, ?)',
                [$order['id'], $file, strlen($bytes), $sha1, Clock::now()]);
            return ['file' => $file, 'new' => true];
        });
    }

    public static function writeAtomically(string $path, string $bytes): void
    {
        $dir = dirname($path);
        if (!is_dir($dir) && !@mkdir($dir, 0775, true) && !is_dir($dir)) {
            throw new \RuntimeException("cannot create $dir");
        }
        $tmp = $path . '.tmp' . getmypid();
        if (file_put_contents($tmp, $bytes) !== strlen($bytes) || !rename($tmp, $path)) {
            @unlink($tmp);
            throw new \RuntimeException("cannot write $path");
        }
    }

    /**
     * Draws a demo item picture: a package in the brand's colour with the
     * item code and a short name on it.
     *
     * @param array{int, int, int} $rgb
     */
    public static function drawDemo(string $sku, string $label, array $rgb, string $shape): string
    {
        $size = 320;
        $img = imagecreatetruecolor($size, $size);
        $white = imagecolorallocate($img, 250, 250, 247);
        $ink = imagecolorallocate($img, 40, 40, 48);
        $main = imagecolorallocate($img, ...$rgb);
        $shade = imagecolorallocate($img, (int)($rgb[0] * 0.7), (int)($rgb[1] * 0.7), (int)($rgb[2] * 0.7));
        imagefilledrectangle($img, 0, 0, $size - 1, $size - 1, $white);
        switch ($shape) {
            case 'bottle':
                imagefilledrectangle($img, 140, 30, 180, 80, $shade);
                imagefilledellipse($img, 160, 100, 110, 60, $main);
                imagefilledrectangle($img, 105, 100, 215, 270, $main);
                break;
            case 'can':
                imagefilledellipse($img, 160, 70, 130, 36, $shade);
                imagefilledrectangle($img, 95, 70, 225, 260, $main);
                imagefilledellipse($img, 160, 260, 130, 36, $main);
                break;
            case 'bag':
                imagefilledpolygon($img, [90, 50, 230, 50, 250, 270, 70, 270], $main);
                imagefilledrectangle($img, 90, 50, 230, 70, $shade);
                break;
            default:
                imagefilledrectangle($img, 70, 60, 250, 260, $main);
                imagefilledpolygon($img, [70, 60, 110, 30, 290, 30, 250, 60], $shade);
                imagefilledpolygon($img, [250, 60, 290, 30, 290, 230, 250, 260], $shade);
        }
        $label = strtoupper(substr($label, 0, 12));
        $font = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf';
        if (function_exists('imagettftext') && is_file($font)) {
            $box = imagettfbbox(15, 0, $font, $label);
            imagettftext($img, 15, 0, (int)(160 - ($box[2] - $box[0]) / 2), 175, $white, $font, $label);
            $box = imagettfbbox(18, 0, $font, $sku);
            imagettftext($img, 18, 0, (int)(160 - ($box[2] - $box[0]) / 2), 308, $ink, $font, $sku);
        } else {
            imagestring($img, 5, (int)(160 - strlen($label) * 4.5), 165, $label, $white);
            imagestring($img, 5, (int)(160 - strlen($sku) * 4.5), 292, $sku, $ink);
        }
        ob_start();
        imagejpeg($img, null, 85);
        imagedestroy($img);
        return (string)ob_get_clean();
    }
}
