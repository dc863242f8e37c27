#include "store/StoreSql.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "store/StoreDelegate.h"

namespace StoreSql {

QStringList readTexts(Statement& statement)
{
    QStringList texts;
    while (statement.step() == Statement::Row)
        texts.append(statement.columnString(0));
    return texts;
}

QString direction(const QString& requested)
{
    return requested.trimmed().compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("DESC")
               : QStringLiteral("ASC");
}

QString containsPattern(const QString& keyword)
{
    QString escaped;
    escaped.reserve(keyword.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar c : keyword) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

QString placeholders(qsizetype count)
{
    QString text;
    text.reserve(count * 3);
    for (qsizetype i = 0; i < count; ++i)
        text += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
    return text;
}

QString today()
{
    return Clock::now().toLocalTime().date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString salesmanCode()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    return defaults.stringForKey(QStringLiteral("salesmanCode"));
}

QString userName()
{
    const StoreDelegate* delegate = DataManager::delegate();
    return delegate ? delegate->UserName() : QString();
}

QString selectSoldTo()
{
    const StoreDelegate* delegate = DataManager::delegate();
    return delegate ? delegate->SelectSoldTo() : QString();
}

QString orEmpty(const QString& text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}

} // namespace StoreSql
