#include "platform/CrashCapture.h"

#include "platform/AppInfo.h"
#include "platform/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cxxabi.h>
#include <elf.h>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <unistd.h>

namespace {

// ---- state prepared by enable() and read by the handlers

constexpr int kCapturedSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 128;
constexpr size_t kPathCapacity = 4096;

char g_partPath[kPathCapacity];
char g_pendingPath[kPathCapacity];
char g_version[64];
// The open "pending.part"; -1 before enable().
std::atomic<int> g_fd{-1};
bool g_handlersInstalled = false;

// Set by the terminate handler just before it aborts: "type: what()".
char g_exception[1024];
std::atomic<size_t> g_exceptionLength{0};

// 0 while no crash is being handled; set by the first handler to run.
std::atomic<int> g_handling{0};
std::atomic<int> g_handled{0};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<size_t>::is_always_lock_free,
              "the handlers rely on lock-free atomics");

// Large enough for backtrace() and the writer; static so that it exists
// without allocation when the ordinary stack is gone.
alignas(16) char g_alternateStack[128 * 1024];

void* g_frames[kMaxFrames];

// The build-id of every loaded image, "  <hex> <path>" per line, prepared by
// CrashCapture::noteLoadedImages() so that the handler only copies bytes. Two
// buffers: a crash reads the current one while the other is rewritten.
constexpr size_t kBuildIdCapacity = 32 * 1024;
char g_buildIds[2][kBuildIdCapacity];
std::atomic<size_t> g_buildIdLength[2];
std::atomic<int> g_buildIdCurrent{0};

// ---- async-signal-safe output

// Text formatted by hand into a fixed buffer and written with write().
class Writer
{
public:
    explicit Writer(int fd) : _fd(fd) {}
    ~Writer() { flush(); }

    void text(const char* s) { bytes(s, std::strlen(s)); }
    void bytes(const char* s, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            if (_length == sizeof(_buffer))
                flush();
            _buffer[_length++] = s[i];
        }
    }
    void decimal(unsigned long long value)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0)
            bytes(&digits[--n], 1);
    }
    void signedDecimal(long long value)
    {
        if (value < 0) {
            text("-");
            decimal(0ULL - static_cast<unsigned long long>(value));
        } else {
            decimal(static_cast<unsigned long long>(value));
        }
    }
    // "0x" and sixteen hex digits.
    void address(std::uintptr_t value)
    {
        static const char hex[] = "0123456789abcdef";
        char digits[18] = {'0', 'x'};
        for (int i = 17; i >= 2; --i) {
            digits[i] = hex[value & 0xf];
            value >>= 4;
        }
        bytes(digits, sizeof(digits));
    }
    void flush()
    {
        size_t done = 0;
        while (done < _length) {
            const ssize_t n = ::write(_fd, _buffer + done, _length - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break; // disk full or closed: nothing better to do here
            done += size_t(n);
        }
        _length = 0;
    }

private:
    int _fd;
    char _buffer[1024];
    size_t _length = 0;
};

const char* signalName(int sig)
{
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    }
    return nullptr;
}

// The name of si_code, or null when it has none we know.
const char* codeName(int sig, int code)
{
    switch (code) {
    case SI_USER:
        return "SI_USER";
    case SI_KERNEL:
        return "SI_KERNEL";
    case SI_QUEUE:
        return "SI_QUEUE";
    case SI_TKILL:
        return "SI_TKILL";
    }
    if (code <= 0)
        return nullptr;
    switch (sig) {
    case SIGSEGV:
        switch (code) {
        case SEGV_MAPERR:
            return "SEGV_MAPERR";
        case SEGV_ACCERR:
            return "SEGV_ACCERR";
        }
        break;
    case SIGBUS:
        switch (code) {
        case BUS_ADRALN:
            return "BUS_ADRALN";
        case BUS_ADRERR:
            return "BUS_ADRERR";
        case BUS_OBJERR:
            return "BUS_OBJERR";
        }
        break;
    case SIGILL:
        switch (code) {
        case ILL_ILLOPC:
            return "ILL_ILLOPC";
        case ILL_ILLOPN:
            return "ILL_ILLOPN";
        case ILL_ILLADR:
            return "ILL_ILLADR";
        case ILL_ILLTRP:
            return "ILL_ILLTRP";
        case ILL_PRVOPC:
            return "ILL_PRVOPC";
        case ILL_PRVREG:
            return "ILL_PRVREG";
        case ILL_COPROC:
            return "ILL_COPROC";
        case ILL_BADSTK:
            return "ILL_BADSTK";
        }
        break;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV:
            return "FPE_INTDIV";
        case FPE_INTOVF:
            return "FPE_INTOVF";
        case FPE_FLTDIV:
            return "FPE_FLTDIV";
        case FPE_FLTOVF:
            return "FPE_FLTOVF";
        case FPE_FLTUND:
            return "FPE_FLTUND";
        case FPE_FLTRES:
            return "FPE_FLTRES";
        case FPE_FLTINV:
            return "FPE_FLTINV";
        case FPE_FLTSUB:
            return "FPE_FLTSUB";
        }
        break;
    }
    return nullptr;
}

void restoreDefaultActions()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : kCapturedSignals)
        ::sigaction(sig, &action, nullptr);
}

// The executable mappings of /proc/self/maps, one per line, so that the
// frames can be placed in their binaries despite address randomisation.
void writeImages(Writer& out)
{
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0)
        return;
    char chunk[2048];
    char line[512];
    size_t length = 0;
    auto finishLine = [&]() {
        // "start-end perms offset dev inode path": keep the executable ones.
        const char* space = static_cast<const char*>(std::memchr(line, ' ', length));
        if (space && size_t(space - line) + 3 < length && space[3] == 'x') {
            out.text("  ");
            out.bytes(line, length);
            out.text("\n");
        }
        length = 0;
    };
    for (;;) {
        const ssize_t n = ::read(maps, chunk, sizeof(chunk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] == '\n')
                finishLine();
            else if (length < sizeof(line))
                line[length++] = chunk[i];
        }
    }
    if (length > 0)
        finishLine();
    ::close(maps);
}

void writeReport(int fd, int sig, const siginfo_t* info)
{
    const int code = info ? info->si_code : SI_USER;
    // Only faults the kernel raised carry an address; for a signal sent by a
    // process the same field holds the sender's pid.
    const bool fault = sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE;
    const std::uintptr_t address = info && fault && code > 0 && code != SI_KERNEL
                                       ? reinterpret_cast<std::uintptr_t>(info->si_addr)
                                       : 0;
    {
        Writer out(fd);
        out.text("Field Book crash report 1\ntime: ");
        out.decimal(static_cast<unsigned long long>(::time(nullptr)));
        out.text("\nsignal: ");
        if (const char* name = signalName(sig)) {
            out.text(name);
        } else {
            out.text("SIG");
            out.decimal(unsigned(sig));
        }
        out.text("\ncode: ");
        if (const char* name = codeName(sig, code))
            out.text(name);
        else
            out.signedDecimal(code);
        out.text("\naddress: ");
        out.address(address);
        out.text("\npid: ");
        out.decimal(static_cast<unsigned long long>(::getpid()));
        out.text("\nversion: ");
        out.text(g_version);
        const size_t exceptionLength = g_exceptionLength.load();
        if (sig == SIGABRT && exceptionLength > 0) {
            out.text("\nexception: ");
            out.bytes(g_exception, exceptionLength);
        }
        out.text("\n");
    }
    // The header is complete: from here on the next start finds a report,
    // even should the unwinder fail on a wrecked stack.
    ::rename(g_partPath, g_pendingPath);

    const int count = ::backtrace(g_frames, kMaxFrames);
    Writer out(fd);
    out.text("frames:\n");
    for (int i = 0; i < count; ++i) {
        out.text("  ");
        out.decimal(unsigned(i));
        out.text(" ");
        out.address(reinterpret_cast<std::uintptr_t>(g_frames[i]));
        out.text("\n");
    }
    out.text("images:\n");
    writeImages(out);
    out.text("build-ids:\n");
    const int current = g_buildIdCurrent.load();
    out.bytes(g_buildIds[current], g_buildIdLength[current].load());
    out.text("end\n");
    out.flush();
    ::fsync(fd);
}

void onSignal(int sig, siginfo_t* info, void*)
{
    const int savedErrno = errno;
    if (g_handling.exchange(1) != 0) {
        // Another thread is writing its report: give it time, then die.
        for (int i = 0; i < 200 && g_handled.load() == 0; ++i) {
            const timespec tenMs{0, 10 * 1000 * 1000};
            ::nanosleep(&tenMs, nullptr);
        }
        restoreDefaultActions();
        ::raise(sig);
        errno = savedErrno;
        return;
    }
    restoreDefaultActions();
    const int fd = g_fd.exchange(-1);
    if (fd >= 0) {
        writeReport(fd, sig, info);
        ::close(fd);
    }
    g_handled.store(1);
    // The signal is blocked while this handler runs; it is delivered with
    // the default action as soon as the handler returns. A fault returns to
    // the faulting instruction only to find it pending already.
    ::raise(sig);
    errno = savedErrno;
}

// Appends to g_exception, replacing line breaks so the report stays one line.
void noteException(const char* text, size_t& length)
{
    for (const char* p = text; *p && length < sizeof(g_exception); ++p)
        g_exception[length++] = (*p == '\n' || *p == '\r') ? ' ' : *p;
}

[[noreturn]] void onTerminate()
{
    size_t length = 0;
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
        // Not a signal handler: the heap is normally sound when an exception
        // goes uncaught, so the type name is demangled for the reader.
        int status = 0;
        char* readable = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        noteException(readable && status == 0 ? readable : type->name(), length);
        std::free(readable);
        try {
            throw;
        } catch (const std::exception& e) {
            noteException(": ", length);
            noteException(e.what(), length);
        } catch (...) {
        }
    } else {
        noteException("std::terminate without an exception", length);
    }
    g_exceptionLength.store(length);
    std::abort();
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool copyPath(char* target, const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (size_t(encoded.size()) >= kPathCapacity)
        return false;
    std::memcpy(target, encoded.constData(), size_t(encoded.size()) + 1);
    return true;
}

// The GNU build-id note among an image's program headers, as lower-case hex.
std::string buildIdOf(const dl_phdr_info& image)
{
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < image.dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = image.dlpi_phdr[i];
        if (header.p_type != PT_NOTE)
            continue;
        const char* note = reinterpret_cast<const char*>(image.dlpi_addr + header.p_vaddr);
        const char* end = note + header.p_memsz;
        while (note + sizeof(ElfW(Nhdr)) <= end) {
            const auto* nhdr = reinterpret_cast<const ElfW(Nhdr)*>(note);
            const char* name = note + sizeof(ElfW(Nhdr));
            const char* desc = name + ((nhdr->n_namesz + 3) & ~3u);
            const char* next = desc + ((nhdr->n_descsz + 3) & ~3u);
            if (next > end)
                break;
            if (nhdr->n_type == NT_GNU_BUILD_ID && nhdr->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
                std::string text;
                for (ElfW(Word) b = 0; b < nhdr->n_descsz; ++b) {
                    const auto byte = static_cast<unsigned char>(desc[b]);
                    text += hex[byte >> 4];
                    text += hex[byte & 0xf];
                }
                return text;
            }
            note = next;
        }
    }
    return std::string();
}

int noteImage(dl_phdr_info* image, size_t, void* data)
{
    auto* lines = static_cast<std::string*>(data);
    // The program itself comes first and has no name; the vDSO has no path.
    const char* name = image->dlpi_name && image->dlpi_name[0] ? image->dlpi_name : "/proc/self/exe";
    if (name[0] != '/')
        return 0;
    const std::string buildId = buildIdOf(*image);
    if (buildId.empty())
        return 0;
    // The path as /proc/self/maps shows it (symbolic links resolved), so that
    // a reader can match the two lists.
    char resolved[PATH_MAX];
    const char* path = ::realpath(name, resolved) ? resolved : name;
    *lines += "  " + buildId + ' ' + path + '\n';
    return 0;
}

CrashCapture*& sharedOverride()
{
    static CrashCapture* capture = nullptr;
    return capture;
}

volatile bool g_recurseForever = true;

[[gnu::noinline]] int recurse(int depth)
{
    volatile char pad[512];
    pad[0] = char(depth);
    if (g_recurseForever)
        return recurse(depth + 1) + pad[0];
    return pad[0];
}

} // namespace

CrashCapture& CrashCapture::shared()
{
    static CrashCapture real;
    return sharedOverride() ? *sharedOverride() : real;
}

void CrashCapture::setShared(CrashCapture* capture)
{
    sharedOverride() = capture;
}

QString CrashCapture::directory()
{
    return Sandbox::libraryDirectory() + QStringLiteral("/CrashCapture");
}

QString CrashCapture::pendingReportPath()
{
    return directory() + QStringLiteral("/pending");
}

bool CrashCapture::hasPendingReport()
{
    return QFileInfo(pendingReportPath()).isFile();
}

std::optional<QByteArray> CrashCapture::loadPendingReport(QString* error)
{
    QFile file(pendingReportPath());
    if (!file.exists()) {
        fail(error, QStringLiteral("no crash report is pending"));
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        return std::nullopt;
    }
    return file.readAll();
}

bool CrashCapture::purgePendingReport(QString* error)
{
    QFile file(pendingReportPath());
    if (!file.exists() || file.remove())
        return true;
    return fail(error,
                QStringLiteral("cannot remove %1: %2").arg(file.fileName(), file.errorString()));
}

bool CrashCapture::enable(QString* error)
{
    const QString folder = directory();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("cannot create %1").arg(folder));
    const QString partPath = folder + QStringLiteral("/pending.part");
    char part[kPathCapacity];
    char pending[kPathCapacity];
    if (!copyPath(part, partPath) || !copyPath(pending, pendingReportPath()))
        return fail(error, QStringLiteral("the path %1 is too long").arg(partPath));
    const int fd = ::open(part, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(error, QStringLiteral("cannot open %1: %2")
                               .arg(partPath, QString::fromLocal8Bit(std::strerror(errno))));

    // Re-pointing an enabled capture: no crash is handled while the paths
    // change, because the old file is taken away first.
    const int previous = g_fd.exchange(-1);
    if (previous >= 0)
        ::close(previous);
    std::memcpy(g_partPath, part, sizeof(part));
    std::memcpy(g_pendingPath, pending, sizeof(pending));
    const QByteArray version = AppInfo::versionString().toUtf8().left(int(sizeof(g_version)) - 1);
    std::memcpy(g_version, version.constData(), size_t(version.size()) + 1);
    g_fd.store(fd);

    noteLoadedImages();

    // The first backtrace() loads the unwinder, which allocates: never let
    // that happen inside a handler.
    void* warmUp[2];
    ::backtrace(warmUp, 2);

    stack_t current;
    if (::sigaltstack(nullptr, &current) == 0 && current.ss_sp != g_alternateStack) {
        stack_t stack;
        stack.ss_sp = g_alternateStack;
        stack.ss_size = sizeof(g_alternateStack);
        stack.ss_flags = 0;
        if (::sigaltstack(&stack, nullptr) != 0)
            return fail(error, QStringLiteral("cannot install the signal stack: %1")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (!g_handlersInstalled) {
        struct sigaction action;
        std::memset(&action, 0, sizeof(action));
        action.sa_sigaction = onSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        for (int sig : kCapturedSignals) {
            if (::sigaction(sig, &action, nullptr) != 0)
                return fail(error, QStringLiteral("cannot handle %1: %2")
                                       .arg(QString::fromLatin1(signalName(sig)),
                                            QString::fromLocal8Bit(std::strerror(errno))));
        }
        std::set_terminate(onTerminate);
        g_handlersInstalled = true;
    }
    return true;
}

void CrashCapture::noteLoadedImages()
{
    std::string lines;
    ::dl_iterate_phdr(noteImage, &lines);
    // Whole lines only, should there ever be more than fit.
    if (lines.size() > kBuildIdCapacity)
        lines.resize(lines.rfind('\n', kBuildIdCapacity - 1) + 1);
    const int spare = 1 - g_buildIdCurrent.load();
    g_buildIdLength[spare].store(0);
    std::memcpy(g_buildIds[spare], lines.data(), lines.size());
    g_buildIdLength[spare].store(lines.size());
    g_buildIdCurrent.store(spare);
}

bool CrashCapture::isCrashKind(const QString& kind)
{
    static const QStringList kinds{QStringLiteral("segv"), QStringLiteral("abort"),
                                   QStringLiteral("exception"), QStringLiteral("exception-bytes"),
                                   QStringLiteral("overflow")};
    return kinds.contains(kind);
}

bool CrashCapture::crashNow(const QString& kind)
{
    if (kind == QLatin1String("segv")) {
        // Through a volatile pointer: the compiler may neither see the null
        // page coming nor turn the store into a trap instruction.
        int* volatile target = reinterpret_cast<int*>(std::uintptr_t(0x10));
        *target = 1;
    } else if (kind == QLatin1String("abort")) {
        std::abort();
    } else if (kind == QLatin1String("exception")) {
        throw std::runtime_error("crash requested: an exception nobody catches");
    } else if (kind == QLatin1String("exception-bytes")) {
        throw std::runtime_error("crash requested: \xff\xfe is not UTF-8");
    } else if (kind == QLatin1String("overflow")) {
        return recurse(0) != 0;
    }
    return false;
}
