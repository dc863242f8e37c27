#include "http/HttpTransport.h"

#include "http/HttpClient.h"

#include <QJsonDocument>

namespace {
std::shared_ptr<HttpTransport>& sharedSlot()
{
    static std::shared_ptr<HttpTransport> transport;
    return transport;
}
} // namespace

HttpTransport& HttpTransport::shared()
{
    std::shared_ptr<HttpTransport>& slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<HttpClient>();
    return *slot;
}

void HttpTransport::setShared(std::shared_ptr<HttpTransport> transport)
{
    sharedSlot() = std::move(transport);
}

void HttpTransport::postFormStreamed(const QString& url, const QVariantMap& parameters, BodyReceiver receiver)
{
    postForm(
        url, parameters,
        [receiver](const QVariant& json) {
            // A null answer stands for an empty body.
            const QByteArray body =
                json.isNull() ? QByteArray() : QJsonDocument::fromVariant(json).toJson(QJsonDocument::Compact);
            if (receiver.progress)
                receiver.progress(body.size(), body.size());
            if (receiver.piece && !body.isEmpty())
                receiver.piece(body);
            if (receiver.end)
                receiver.end();
        },
        receiver.failure);
}
