#include "workflow/MainMenuController.h"

#include "platform/NotificationCenter.h"
#include "platform/Strings.h"

MainMenuController::MainMenuController(QObject* parent) : ScreenController(parent) {}

QVariantList MainMenuController::entries() const
{
    auto entry = [](int tag, const char* key) {
        return QVariantMap{{QStringLiteral("tag"), tag}, {QStringLiteral("title"), Strings::localized(key)}};
    };
    return {entry(10, "ORDERLISTVIEW_POPUPMENU_ALL_ORDER"), entry(19, "ORDERLISTVIEW_POPUPMENU_UPLOADED_ORDER"),
            entry(20, "ORDERLISTVIEW_POPUPMENU_DRAFT_ORDER")};
}

void MainMenuController::choose(int tag)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("headerViewbuttonClicked"),
                                             {{QStringLiteral("headerViewButtonTag"), tag}});
}
