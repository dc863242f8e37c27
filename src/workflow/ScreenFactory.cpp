#include "workflow/ScreenFactory.h"

#include "platform/Strings.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderDetailViewPopoverViewController.h"
#include "workflow/OrderImageViewController.h"
#include "workflow/PlaceholderItemList.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"

ScreenFactory ScreenFactory::standard()
{
    ScreenFactory factory;
    // Placeholders until their screens are built; each screen takes its
    // placeholder's line.
    factory.orderEditor = [] { return new OrderDetailViewController(); };
    factory.purchaseList = [] { return new PurchaseListViewController(); };
    factory.promotionProducts = [] { return new PromoProductViewController(); };
    factory.orderPhotoList = [] { return new OrderImageViewController(); };
    factory.itemList = [] { return new PlaceholderItemList(); };
    factory.shipToPicker = [] { return new OrderDetailViewPopoverViewController(); };
    return factory;
}
