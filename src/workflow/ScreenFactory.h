#pragma once

#include <functional>

class ScreenController;

// Builds the screens the root screen routes to. Each function answers a new
// screen that plays the role named beside it (ScreenRoles.h); the root screen
// owns what it gets. standard() is the application's set; tests hand the
// root screen their own.
//
// Screens that are not built yet come as placeholders (PlaceholderScreens.h)
// that keep what they are handed; a screen replaces its placeholder here,
// in ScreenFactory.cpp, and nowhere else.
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
