#include "workflow/ScreenFactory.h"

#include "platform/Strings.h"
#include "workflow/ItemListViewController.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderDetailViewPopoverViewController.h"
#include "workflow/OrderImageViewController.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"

ScreenFactory ScreenFactory::standard()
{
    ScreenFactory factory;
    factory.orderEditor = [] { return new OrderDetailViewController(); };
    factory.purchaseList = [] { return new PurchaseListViewController(); };
    factory.promotionProducts = [] { return new PromoProductViewController(); };
    factory.orderPhotoList = [] { return new OrderImageViewController(); };
    factory.itemList = [] { return new ItemListViewController(); };
    factory.shipToPicker = [] { return new OrderDetailViewPopoverViewController(); };
    return factory;
}
