#include "platform/NotificationCenter.h"

#include <algorithm>

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject* owner, const QString& name, Handler handler)
{
    if (!owner || !handler)
        return;
    const bool firstForOwner = std::none_of(_observers.begin(), _observers.end(),
                                            [owner](const Observer& o) { return o.ownerKey == owner; });
    _observers.push_back(Observer{_nextId++, owner, owner, name, std::move(handler)});
    if (firstForOwner) {
        QObject::connect(owner, &QObject::destroyed, owner,
                         [this, owner]() { removeObserver(owner); }, Qt::DirectConnection);
    }
}

void NotificationCenter::removeObserver(QObject* owner, const QString& name)
{
    std::erase_if(_observers, [&](const Observer& o) {
        return o.ownerKey == owner && (name.isEmpty() || o.name == name);
    });
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo)
{
    // Handlers may add or remove observers (a screen replaced by the one it
    // announced): deliver to a snapshot, skipping those removed meanwhile.
    std::vector<quint64> ids;
    for (const Observer& o : _observers) {
        if (o.name == name)
            ids.push_back(o.id);
    }
    for (quint64 id : ids) {
        auto it = std::find_if(_observers.begin(), _observers.end(), [id](const Observer& o) { return o.id == id; });
        if (it == _observers.end() || it->owner.isNull())
            continue;
        Handler handler = it->handler; // the vector may change while it runs
        handler(userInfo);
    }
}

int NotificationCenter::observerCount(const QString& name) const
{
    return int(std::count_if(_observers.begin(), _observers.end(),
                             [&](const Observer& o) { return o.name == name && !o.owner.isNull(); }));
}
