<?php
declare(strict_types=1);

namespace FieldBookServer;

/** A request the server refuses: a non-zero status and a message for the salesman. */
final class Refusal extends \RuntimeException
{
    public const CREDENTIALS = 1;
    public const MALFORMED = 2;
    public const SESSION = 3;
    public const CONTENT = 4;
    public const BUSY = 5;

    public function __construct(public readonly int $status, string $message)
    {
        parent::__construct($message);
    }
}
