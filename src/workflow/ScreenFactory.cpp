#include "workflow/ScreenFactory.h"

#include "platform/Strings.h"
#include "workflow/PlaceholderItemList.h"
#include "workflow/PlaceholderOrderEditor.h"
#include "workflow/PlaceholderOrderPhotoList.h"
#include "workflow/PlaceholderPurchaseList.h"
#include "workflow/PlaceholderShipToPanel.h"

ScreenFactory ScreenFactory::standard()
{
    ScreenFactory factory;
    // Placeholders until their screens are built; each screen takes its
    // placeholder's line.
    factory.orderEditor = [] { return new PlaceholderOrderEditor(); };
    factory.purchaseList = [] {
        return new PlaceholderPurchaseList(Strings::localized("ITEMLIST_PURCHASELIST"));
    };
    factory.promotionProducts = [] {
        return new PlaceholderPurchaseList(QStringLiteral("Promotion products"));
    };
    factory.orderPhotoList = [] { return new PlaceholderOrderPhotoList(); };
    factory.itemList = [] { return new PlaceholderItemList(); };
    factory.shipToPicker = [] { return new PlaceholderShipToPanel(); };
    return factory;
}
