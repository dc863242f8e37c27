#pragma once

#include <QObject>
#include <QString>

// Application-wide facts the views show: version, display name, idiom.
class UiBridge : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString versionString READ versionString CONSTANT)
    Q_PROPERTY(QString displayName READ displayName CONSTANT)
    Q_PROPERTY(bool tablet READ tablet CONSTANT)

public:
    using QObject::QObject;
    QString versionString() const;
    QString displayName() const;
    bool tablet() const;
};
