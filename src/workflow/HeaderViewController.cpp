#include "workflow/HeaderViewController.h"

#include "platform/DeviceIdiom.h"
#include "platform/Dialogs.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "workflow/MainMenuController.h"

namespace {
QVariantMap button(int tag, const char* icon, const QString& label, bool enabled = true)
{
    return {{QStringLiteral("tag"), tag},
            {QStringLiteral("icon"), QString::fromLatin1(icon)},
            {QStringLiteral("label"), label},
            {QStringLiteral("enabled"), enabled}};
}
} // namespace

HeaderViewController::HeaderViewController(int type, QObject* parent) : QObject(parent)
{
    setType(type);
}

Dialogs* HeaderViewController::dialogs() const
{
    return _dialogs ? _dialogs : Dialogs::shared();
}

void HeaderViewController::setType(int type)
{
    _type = type;
    _selectDraftsPressed = false;
    build();
    Q_EMIT typeChanged();
}

void HeaderViewController::setDetailsUploaded(bool uploaded)
{
    if (_detailsUploaded == uploaded)
        return;
    _detailsUploaded = uploaded;
    build();
}

void HeaderViewController::setTitle(const QString& title)
{
    if (_title == title)
        return;
    _title = title;
    Q_EMIT titleChanged();
}

void HeaderViewController::build()
{
    _left.clear();
    _right.clear();
    switch (_type) {
    case OrderList:
        setTitle(Strings::localized("ORDERLISTVIEW_HEADER"));
        _left << button(18, "btn_logout.png", QStringLiteral("Log out")) << button(12, "btn_edit.png", QStringLiteral("Select"));
        _right << button(13, "btn_add.png", QStringLiteral("New order"))
               << button(11, "btn_itemlist.png", QStringLiteral("Catalogue"));
        break;
    case ItemList:
        setTitle(Strings::localized("ITEMLISTVIEW_HEADER"));
        _left << button(10, "btn_back.png", QStringLiteral("Back"));
        _right << button(50, "btn_barcode.png", QStringLiteral("Scan"));
        break;
    case PurchaseList:
        setTitle(Strings::localized("ITEMLIST_PURCHASELIST"));
        _left << button(51, "btn_back.png", QStringLiteral("Back"));
        break;
    case OrderImageList:
        setTitle(QStringLiteral("IMAGE LIST"));
        _left << button(53, "btn_back.png", QStringLiteral("Back"));
        break;
    case OrderDetail: {
        // An uploaded order can be looked at and sent again, not changed.
        const bool editable = !_detailsUploaded;
        setTitle(Strings::localized("ORDERDETAILVIEW_HEADER"));
        _left << button(30, "btn_back.png", QStringLiteral("Back"))
              << button(31, "btn_save.png", QStringLiteral("Save"), editable)
              << button(34, "btn_delete.png", QStringLiteral("Delete"), editable);
        _right << button(32, "btn_upload.png", QStringLiteral("Upload"))
               << button(33, "btn_additem.png", QStringLiteral("Add items"), editable);
        break;
    }
    case MultipleSelect:
        updateSelectModeHeader(0);
        _left << button(14, "btn_back.png", QStringLiteral("Back")) << button(15, "btn_copy.png", QStringLiteral("Copy"))
              << (_selectDraftsPressed ? button(22, "btn_de_select.png", QStringLiteral("Deselect"))
                                       : button(21, "btn_select_draft.png", QStringLiteral("Drafts")));
        _right << button(17, "btn_upload.png", QStringLiteral("Upload"))
               << button(16, "btn_export.png", QStringLiteral("E-mail"))
               << button(23, "btn_delete.png", QStringLiteral("Delete"));
        break;
    default:
        break;
    }
    Q_EMIT buttonsChanged();
}

void HeaderViewController::updateSelectModeHeader(int count)
{
    if (count < 1)
        setTitle(Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER"));
    else
        setTitle(QStringLiteral("%1 %2").arg(count).arg(Strings::localized("ORDERLISTVIEW_SELECTMODE")));
}

void HeaderViewController::updateOrderListHeader(int mode)
{
    switch (mode) {
    case 1:
        setTitle(Strings::localized("ORDERLISTVIEW_HEADER"));
        break;
    case 2:
        setTitle(Strings::localized("ORDERLISTVIEW_HEADER_UPLOADED_ORDER"));
        break;
    case 3:
        setTitle(Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
        break;
    default:
        setTitle(QString());
        break;
    }
}

void HeaderViewController::buttonClicked(int tag)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("headerViewbuttonClicked"),
                                             {{QStringLiteral("headerViewButtonTag"), tag}});
    // The select-drafts toggle flips after it has posted the tag it showed.
    if (_type == MultipleSelect && (tag == 21 || tag == 22)) {
        _selectDraftsPressed = tag == 21;
        const QString title = _title;
        build();
        setTitle(title);
    }
}

void HeaderViewController::showPopover()
{
    if (_type != OrderList || !dialogs())
        return;
    const QStringList entries = {Strings::localized("ORDERLISTVIEW_POPUPMENU_ALL_ORDER"),
                                 Strings::localized("ORDERLISTVIEW_POPUPMENU_UPLOADED_ORDER"),
                                 Strings::localized("ORDERLISTVIEW_POPUPMENU_DRAFT_ORDER")};
    if (DeviceIdiom::isTablet()) {
        dismissPopover();
        auto* menu = new MainMenuController(this);
        if (_dialogs)
            menu->setDialogs(_dialogs);
        _popOverController = menu;
        dialogs()->presentPopover(menu, menu->viewName(), QSizeF(250, 210), QStringLiteral("headerTitle"),
                                  [guard = QPointer<MainMenuController>(menu)]() {
                                      if (guard)
                                          guard->deleteLater();
                                  });
        return;
    }
    dialogs()->showActionSheet(QString(), Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL"), entries,
                               [](int index, const QString&) {
                                   static const int tags[] = {10, 19, 20};
                                   if (index >= 0 && index < 3)
                                       NotificationCenter::defaultCenter().post(
                                           QStringLiteral("headerViewbuttonClicked"),
                                           {{QStringLiteral("headerViewButtonTag"), tags[index]}});
                               });
}

void HeaderViewController::dismissPopover()
{
    if (!_popOverController)
        return;
    MainMenuController* menu = _popOverController;
    _popOverController = nullptr;
    if (dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
    menu->deleteLater();
}
