#pragma once

#include "workflow/ScreenController.h"

#include <QVariantList>

// The order-mode menu: all, uploaded or draft orders. Each entry posts
// "headerViewbuttonClicked" with its tag (10, 19, 20); the root screen closes
// the menu and shows the list.
class MainMenuController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QVariantList entries READ entries CONSTANT)

public:
    explicit MainMenuController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("MainMenu"); }
    QVariantList entries() const;
    Q_INVOKABLE void choose(int tag);
};
