#pragma once

#include <functional>

class ScreenController;

// Builds the screens the root screen routes to. Each function answers a new
// screen that plays the role named beside it (ScreenRoles.h); the root screen
// owns what it gets. standard() is the application's set; tests hand the
// root screen their own.
//
// A screen is named here, in ScreenFactory.cpp, and nowhere else: replacing
// one touches neither the router nor the other screens.
struct ScreenFactory
{
    using Make = std::function<ScreenController*()>;

    Make orderEditor;       // OrderEditorScreen
    Make purchaseList;      // PurchaseScreen
    Make promotionProducts; // PurchaseScreen
    Make orderPhotoList;    // OrderPhotoScreen
    Make itemList;          // ItemCatalogueScreen
    Make shipToPicker;      // ShipToPickerPanel, shown as the overlay panel

    static ScreenFactory standard();
};
