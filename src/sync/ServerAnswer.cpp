#include "sync/ServerAnswer.h"

#include <cmath>
#include <optional>

namespace {
const QString kStatus = QStringLiteral("status");

// JSON null reads as absent.
bool isPresent(const QVariantMap& answer, const QString& key)
{
    const auto it = answer.constFind(key);
    return it != answer.cend() && it->isValid() && it->metaType().id() != QMetaType::Nullptr;
}

QString textFor(const QVariantMap& answer, const QString& key)
{
    return isPresent(answer, key) ? answer.value(key).toString() : QString();
}
} // namespace

ServerAnswer::ServerAnswer(const QVariant& json)
    : _answer(json.toMap()), _isDictionary(json.metaType().id() == QMetaType::QVariantMap)
{}

ServerAnswer::Verdict ServerAnswer::verdict() const
{
    if (!_isDictionary)
        return Ignored;
    if (!hasStatus())
        return ConnectionError;
    return status() == 0 ? Accepted : Refused;
}

bool ServerAnswer::hasStatus() const
{
    return isPresent(_answer, kStatus);
}

int ServerAnswer::status(int whenAbsent) const
{
    if (!hasStatus())
        return whenAbsent;
    const std::optional<qint64> value = readInteger(_answer.value(kStatus));
    if (!value || *value < INT_MIN + 1 || *value > INT_MAX)
        return UnreadableStatus;
    return static_cast<int>(*value);
}

QString ServerAnswer::message() const
{
    return textFor(_answer, QStringLiteral("message"));
}

QString ServerAnswer::authToken() const
{
    return textFor(_answer, QStringLiteral("authToken"));
}

QString ServerAnswer::timeStamp() const
{
    return textFor(_answer, QStringLiteral("timeStamp"));
}

QVariant ServerAnswer::result() const
{
    return isPresent(_answer, QStringLiteral("result")) ? _answer.value(QStringLiteral("result"))
                                                        : QVariant();
}

QVariantMap ServerAnswer::failureUserInfo() const
{
    switch (verdict()) {
    case Refused:
        return _answer;
    case ConnectionError:
        return {{QStringLiteral("message"), connectionErrorMessage()}};
    default:
        return {};
    }
}

QString ServerAnswer::connectionErrorMessage()
{
    return QStringLiteral("Connection error...");
}

QString ServerAnswer::unknownErrorMessage()
{
    return QStringLiteral("Unknown error...");
}

bool ServerAnswer::isOffline(const HttpError& error)
{
    return error.isOffline();
}

QString ServerAnswer::failureMessage(const HttpError& error)
{
    return isOffline(error) ? unknownErrorMessage() : error.description();
}

std::optional<qint64> ServerAnswer::readInteger(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > 9.0e15)
            return std::nullopt;
        return static_cast<qint64>(number);
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok, 10);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}
