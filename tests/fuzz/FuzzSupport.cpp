#include "FuzzSupport.h"

#include "http/HttpTransport.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "store/StoreDelegate.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Owner : StoreDelegate
{
    QString UserName() const override { return QStringLiteral("alice"); }
    QString SelectSoldTo() const override { return QStringLiteral("C100"); }
};

// Takes every request and never answers it: fuzzing stays inside the process.
struct SilentTransport : HttpTransport
{
    void postForm(const QString&, const QVariantMap&, JsonHandler, FailureHandler) override {}
    void postMultipart(const QString&, const QVariantMap&, PartsBuilder, JsonHandler,
                       FailureHandler) override
    {}
    void download(const QString&, const QString&, DownloadHandler, FailureHandler) override {}
};

Owner g_owner;

void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) // Qt aborts once it is said
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

namespace FuzzSupport {

void initialise(int* argc, char*** argv)
{
    if (QCoreApplication::instance())
        return;
    new QCoreApplication(*argc, *argv); // for the whole run
    if (qEnvironmentVariableIsEmpty("FUZZ_VERBOSE"))
        qInstallMessageHandler(quiet);
    static QTemporaryDir root; // the store of the whole run
    Sandbox::setRoot(root.path());
    DataManager::setDelegate(&g_owner);
    HttpTransport::setShared(std::make_shared<SilentTransport>());
}

void fail(const char* property, const QString& detail)
{
    std::fprintf(stderr, "property failed: %s\n%s\n", property, qPrintable(detail));
    std::abort();
}

uint32_t Input::below(uint32_t bound)
{
    if (bound == 0)
        return 0;
    uint32_t value = 0;
    for (uint32_t span = bound - 1; span; span >>= 8)
        value = (value << 8) | byte();
    return value % bound;
}

QByteArray Input::bytes(size_t max)
{
    const size_t length =
        std::min<size_t>(below(uint32_t(std::min<size_t>(max, 1u << 20)) + 1), _size - _pos);
    const QByteArray out(reinterpret_cast<const char*>(_data + _pos), qsizetype(length));
    _pos += length;
    return out;
}

QString Input::text(size_t maxBytes)
{
    if (flag()) {
        const QByteArray raw = bytes(maxBytes);
        return QString(reinterpret_cast<const QChar*>(raw.constData()), raw.size() / 2);
    }
    return QString::fromUtf8(bytes(maxBytes));
}

} // namespace FuzzSupport

// The set-up of a target that needs nothing more (a target's own replaces it).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}
