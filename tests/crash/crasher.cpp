// Enables crash capture in the sandbox it is given, then crashes as asked, so
// that tests can watch a real crash from outside and read what it left.
//
//   fieldbook_crasher SANDBOX KIND
//
// KIND is one of CrashCapture::crashNow()'s kinds, or "none" to enable capture
// and exit normally. Exit status 2: bad arguments; 3: capture could not be
// enabled (the reason on stderr); 4: the crash did not happen.
#include "platform/CrashCapture.h"
#include "platform/Sandbox.h"

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fieldbook_crasher SANDBOX KIND\n");
        return 2;
    }
    // Crashing on purpose leaves no core files behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    Sandbox::setRoot(QString::fromLocal8Bit(argv[1]));
    QString error;
    if (!CrashCapture::shared().enable(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 3;
    }
    const QString kind = QString::fromLocal8Bit(argv[2]);
    if (kind == QLatin1String("none"))
        return 0;
    if (!CrashCapture::isCrashKind(kind))
        return 2;
    CrashCapture::crashNow(kind);
    return 4;
}
