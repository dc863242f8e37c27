#include "workflow/ScreenFactory.h"

#include "platform/Strings.h"
#include "workflow/ItemListViewController.h"
#include "workflow/PlaceholderOrderEditor.h"
#include "workflow/PlaceholderOrderPhotoList.h"
#include "workflow/PlaceholderShipToPanel.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"

ScreenFactory ScreenFactory::standard()
{
    ScreenFactory factory;
    // Placeholders until their screens are built; each screen takes its
    // placeholder's line.
    factory.orderEditor = [] { return new PlaceholderOrderEditor(); };
    factory.purchaseList = [] { return new PurchaseListViewController(); };
    factory.promotionProducts = [] { return new PromoProductViewController(); };
    factory.orderPhotoList = [] { return new PlaceholderOrderPhotoList(); };
    factory.itemList = [] { return new ItemListViewController(); };
    factory.shipToPicker = [] { return new PlaceholderShipToPanel(); };
    return factory;
}
