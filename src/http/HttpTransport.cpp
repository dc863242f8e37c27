#include "http/HttpTransport.h"

#include "http/HttpClient.h"

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
