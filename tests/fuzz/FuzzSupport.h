#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share: a process set up like the application's (a
// core application object, a sandbox of its own in a temporary folder with
// the seed database, a logged-in user for the store) and a way to draw
// choices from the fuzz input.
namespace FuzzSupport {

// Once per process, from LLVMFuzzerInitialize (which this library gives every
// target that does not define its own). The transport never answers,
// so nothing leaves the process; logging is silenced unless FUZZ_VERBOSE is set.
void initialise(int* argc, char*** argv);

// A property of the code under test did not hold: report and abort, which
// libFuzzer records as a crash with its input.
[[noreturn]] void fail(const char* property, const QString& detail = QString());

// The fuzz input read front to back as a source of choices; reads past the
// end give zeros and empty data.
class Input
{
public:
    Input(const uint8_t* data, size_t size) : _data(data), _size(size) {}
    uint8_t byte() { return _pos < _size ? _data[_pos++] : 0; }
    uint32_t below(uint32_t bound); // 0 .. bound-1 (0 when bound is 0)
    bool flag() { return byte() & 1; }
    // Up to `max` bytes, the length chosen by the input.
    QByteArray bytes(size_t max);
    // Text from the bytes: UTF-8 (invalid sequences replaced) or raw UTF-16
    // units (which may hold lone surrogates), as the input chooses.
    QString text(size_t maxBytes);

private:
    const uint8_t* _data;
    size_t _size;
    size_t _pos = 0;
};

} // namespace FuzzSupport

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzSupport::fail(#condition, (detail));                                               \
    } while (false)
