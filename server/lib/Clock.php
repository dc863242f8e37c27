<?php
declare(strict_types=1);

namespace FieldBookServer;

/** Time texts in the form the tablets store and compare: "yyyy-MM-dd HH:mm:ss". */
final class Clock
{
    public static function now(): string
    {
        return date('Y-m-d H:i:s');
    }

    /** The synchronisation mark for a change number: fourteen digits. */
    public static function mark(int $seq): string
    {
        return sprintf('%014d', $seq);
    }

    /**
     * The change number a tablet's mark stands for. Fourteen zeros, a missing
     * mark, a mark from another kind of server and a mark ahead of this
     * database (the data folder was rebuilt) all ask for everything.
     */
    public static function since(?string $mark, int $current): int
    {
        if ($mark === null || !preg_match('/^\d{1,14}$/', $mark)) {
            return 0;
        }
        $since = (int)$mark;
        return $since > $current ? 0 : $since;
    }
}
