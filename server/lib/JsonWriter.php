<?php
declare(strict_types=1);

namespace FieldBookServer;

/**
 * Writes a large JSON answer piece by piece, so a first synchronisation of a
 * hundred thousand items never has to sit in memory as one string.
 */
final class JsonWriter
{
    private string $buffer = '';

    /** @var list<bool> per open container: whether it already holds a member */
    private array $hasMember = [];

    public function raw(string $text): void
    {
        $this->buffer .= $text;
        if (strlen($this->buffer) >= 65536) {
            $this->flush();
        }
    }

    public function beginObject(): void
    {
        $this->raw('{');
        $this->hasMember[] = false;
    }

    public function endObject(): void
    {
        array_pop($this->hasMember);
        $this->raw('}');
    }

    public function beginArray(): void
    {
        $this->raw('[');
        $this->hasMember[] = false;
    }

    public function endArray(): void
    {
        array_pop($this->hasMember);
        $this->raw(']');
    }

    /** Starts a member of the open object; its value must follow. */
    public function key(string $key): void
    {
        $this->separator();
        $this->raw(json_encode($key, Http::JSON_FLAGS) . ':');
    }

    public function member(string $key, mixed $value): void
    {
        $this->key($key);
        $this->raw(json_encode($value, Http::JSON_FLAGS));
    }

    /** Appends one element to the open array. */
    public function element(mixed $value): void
    {
        $this->separator();
        $this->raw(json_encode($value, Http::JSON_FLAGS));
    }

    public function flush(): void
    {
        if ($this->buffer !== '') {
            echo $this->buffer;
            $this->buffer = '';
        }
    }

    private function separator(): void
    {
        $top = count($this->hasMember) - 1;
        if ($top >= 0) {
            if ($this->hasMember[$top]) {
                $this->raw(',');
            }
            $this->hasMember[$top] = true;
        }
    }
}
