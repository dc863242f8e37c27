#include "platform/Strings.h"

#include <QCoreApplication>
#include <QTranslator>

bool Strings::install()
{
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    if (!QCoreApplication::instance())
        return false;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral(":/i18n/fieldbook_en.qm"))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

QString Strings::localized(const char* key)
{
    return qtTrId(key);
}

QString Strings::localized(const QString& key)
{
    const QByteArray id = key.toUtf8();
    return qtTrId(id.constData());
}
