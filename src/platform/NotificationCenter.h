#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <vector>

// The process-wide notification centre. Screens never open one another: they
// post named notifications here and the root screen decides what to show.
// Delivery is synchronous, on the caller's (main) thread, in the order observers
// were added. An observer belongs to an owner object and is removed when the
// owner is destroyed, so no handler ever runs on a dead screen.
class NotificationCenter
{
public:
    using Handler = std::function<void(const QVariantMap& userInfo)>;

    static NotificationCenter& defaultCenter();

    void addObserver(QObject* owner, const QString& name, Handler handler);
    // Removes the owner's observers of one name, or of every name when empty.
    void removeObserver(QObject* owner, const QString& name = QString());
    void post(const QString& name, const QVariantMap& userInfo = QVariantMap());

    int observerCount(const QString& name) const;

private:
    struct Observer {
        quint64 id;
        QPointer<QObject> owner;
        QObject* ownerKey;
        QString name;
        Handler handler;
    };
    std::vector<Observer> _observers;
    quint64 _nextId = 1;
};
