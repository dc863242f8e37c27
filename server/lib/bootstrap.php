<?php
// Shared start-up for the router and the command-line tools: strict errors,
// the class loader and the time zone.
declare(strict_types=1);

namespace FieldBookServer;

spl_autoload_register(static function (string $class): void {
    $prefix = __NAMESPACE__ . '\\';
    if (strncmp($class, $prefix, strlen($prefix)) !== 0) {
        return;
    }
    $file = __DIR__ . '/' . substr($class, strlen($prefix)) . '.php';
    if (is_file($file)) {
        require $file;
    }
});

// A warning in the middle of an answer would corrupt the JSON the tablet
// parses, so every notice becomes an exception that the router turns into a
// clean error answer (and the log shows where it came from).
set_error_handler(static function (int $severity, string $message, string $file, int $line): bool {
    if (!(error_reporting() & $severity)) {
        return false;
    }
    throw new \ErrorException($message, 0, $severity, $file, $line);
});
ini_set('display_errors', '0');
ini_set('log_errors', '1');

// Record times are local wall-clock texts; the tablets compare them as text
// with their own clock, so follow TZ when it names a valid zone.
$tz = getenv('TZ');
if (is_string($tz) && $tz !== '' && in_array($tz, \DateTimeZone::listIdentifiers(), true)) {
    date_default_timezone_set($tz);
} else {
    date_default_timezone_set('UTC');
}
