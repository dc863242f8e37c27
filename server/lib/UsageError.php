<?php
declare(strict_types=1);

namespace FieldBookServer;

/** A command or request that cannot be carried out as given. */
final class UsageError extends \RuntimeException
{
}
