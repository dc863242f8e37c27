#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "workflow/HeaderViewController.h"
#include "workflow/MainMenuController.h"

#include <gtest/gtest.h>

namespace {
// The tags of a side's buttons, as "30 31 34".
QString tags(const QVariantList& buttons)
{
    QStringList list;
    for (const QVariant& b : buttons)
        list << b.toMap().value("tag").toString();
    return list.join(' ');
}

QVariantMap buttonWithTag(const HeaderViewController& header, int tag)
{
    for (const QVariant& b : header.leftButtons() + header.rightButtons())
        if (b.toMap().value("tag").toInt() == tag)
            return b.toMap();
    return {};
}

struct TagRecorder : QObject
{
    QList<int> tags;
    TagRecorder()
    {
        NotificationCenter::defaultCenter().addObserver(
            this, "headerViewbuttonClicked",
            [this](const QVariantMap& i) { tags << i.value("headerViewButtonTag").toInt(); });
    }
};
} // namespace

TEST(HeaderBar, EveryLayoutHasItsButtonsAndOnlyTheOrderListItsMenu)
{
    // Left and right tags of layouts 1 to 8; a number without a layout shows
    // no buttons.
    HeaderViewController header(HeaderViewController::OrderList);
    QStringList shown;
    for (int type = 1; type <= 8; ++type) {
        header.setType(type);
        shown << tags(header.leftButtons()) + '|' + tags(header.rightButtons()) +
                     (header.menuEnabled() ? " menu" : "");
    }
    EXPECT_EQ(shown, QStringList({"18 12|13 11 menu", "10|50", "51|", "|", "53|", "30 31 34|32 33",
                                  "|", "14 15 21|17 16 23"}));

    FakeDialogs dialogs;
    header.setDialogs(&dialogs);
    header.showPopover();
    EXPECT_EQ(dialogs.count("popover"), 0);
    header.setType(HeaderViewController::OrderList);
    header.showPopover();
    ASSERT_NE(dialogs.last("popover"), nullptr);
    auto* menu = qobject_cast<MainMenuController*>(dialogs.last("popover")->controller);
    ASSERT_NE(menu, nullptr);
    TagRecorder recorder;
    for (const QVariant& entry : menu->entries())
        menu->choose(entry.toMap().value("tag").toInt());
    EXPECT_EQ(recorder.tags, QList<int>({10, 19, 20}));
}

TEST(HeaderBar, SelectDraftsTogglePostsWhatItShowedThenFlips)
{
    // The count in the title survives the flip.
    TagRecorder recorder;
    HeaderViewController header(HeaderViewController::MultipleSelect);
    header.updateSelectModeHeader(3);
    header.buttonClicked(21);
    EXPECT_EQ(buttonWithTag(header, 22).value("icon").toString(), "btn_de_select.png");
    header.buttonClicked(22);
    EXPECT_EQ(buttonWithTag(header, 21).value("icon").toString(), "btn_select_draft.png");
    EXPECT_EQ(recorder.tags, QList<int>({21, 22}));
    EXPECT_EQ(header.title(), "3 " + Strings::localized("ORDERLISTVIEW_SELECTMODE"));
}
