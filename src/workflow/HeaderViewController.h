#pragma once

#include "workflow/MainMenuController.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

class Dialogs;

// The header bar across the top of every screen after login: a title and one
// layout of buttons per kind of screen. Every button posts
// "headerViewbuttonClicked" with its tag; the root screen does the rest.
class HeaderViewController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int type READ getType NOTIFY typeChanged)
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
    // Buttons as maps {tag, icon, label, enabled}: left ones from the left
    // edge inwards, right ones from the right edge inwards.
    Q_PROPERTY(QVariantList leftButtons READ leftButtons NOTIFY buttonsChanged)
    Q_PROPERTY(QVariantList rightButtons READ rightButtons NOTIFY buttonsChanged)
    // The order list layout shows a drop-down indicator beside the title and
    // opens the order-mode menu when the title area is touched.
    Q_PROPERTY(bool menuEnabled READ menuEnabled NOTIFY typeChanged)
    Q_PROPERTY(bool detailsUploaded READ detailsUploaded WRITE setDetailsUploaded NOTIFY buttonsChanged)

public:
    enum Layout { OrderList = 1, ItemList = 2, PurchaseList = 3, OrderImageList = 5, OrderDetail = 6, MultipleSelect = 8 };
    Q_ENUM(Layout)

    explicit HeaderViewController(int type = 0, QObject* parent = nullptr);

    int getType() const { return _type; }
    // Replaces the layout; a number without a layout leaves only the title.
    void setType(int type);

    QString title() const { return _title; }
    QVariantList leftButtons() const { return _left; }
    QVariantList rightButtons() const { return _right; }
    bool menuEnabled() const { return _type == OrderList; }

    bool detailsUploaded() const { return _detailsUploaded; }
    void setDetailsUploaded(bool uploaded);

    // "n selected" in multiple selection, or the prompt to select.
    void updateSelectModeHeader(int count);
    // The order list's title for mode 1, 2 or 3 (no title for other values).
    void updateOrderListHeader(int mode);

    // A header button was pressed.
    Q_INVOKABLE void buttonClicked(int tag);
    // The title area was touched in the order list layout: opens the
    // order-mode menu (a popover on a tablet, an action sheet otherwise).
    Q_INVOKABLE void showPopover();
    // Closes the order-mode menu when it is open.
    void dismissPopover();
    // The order-mode menu while it is open as a popover.
    MainMenuController* popOverController() const { return _popOverController; }

    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }

Q_SIGNALS:
    void typeChanged();
    void titleChanged();
    void buttonsChanged();

private:
    void build();
    void setTitle(const QString& title);
    Dialogs* dialogs() const;

    int _type = 0;
    QString _title;
    QVariantList _left;
    QVariantList _right;
    bool _detailsUploaded = false;
    bool _selectDraftsPressed = false; // the select-drafts toggle shows "deselect"
    Dialogs* _dialogs = nullptr;
    QPointer<MainMenuController> _popOverController;
};
