#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "workflow/HeaderViewController.h"
#include "workflow/MainMenuController.h"

#include <gtest/gtest.h>

namespace {
QList<int> tags(const QVariantList& buttons)
{
    QList<int> list;
    for (const QVariant& b : buttons)
        list << b.toMap().value("tag").toInt();
    return list;
}

QVariantMap buttonWithTag(const HeaderViewController& header, int tag)
{
    for (const QVariant& b : header.leftButtons() + header.rightButtons()) {
        if (b.toMap().value("tag").toInt() == tag)
            return b.toMap();
    }
    return {};
}

struct TagRecorder : QObject {
    QList<int> tags;
    TagRecorder()
    {
        NotificationCenter::defaultCenter().addObserver(this, "headerViewbuttonClicked", [this](const QVariantMap& i) {
            tags << i.value("headerViewButtonTag").toInt();
        });
    }
};
} // namespace

TEST(HeaderBar, EveryLayoutHasItsButtonsAndTitle)
{
    HeaderViewController header(HeaderViewController::OrderList);
    EXPECT_EQ(tags(header.leftButtons()), QList<int>({18, 12}));
    EXPECT_EQ(tags(header.rightButtons()), QList<int>({13, 11}));
    EXPECT_TRUE(header.menuEnabled());
    EXPECT_EQ(header.title(), Strings::localized("ORDERLISTVIEW_HEADER"));

    const struct {
        int type;
        QList<int> left, right;
    } layouts[] = {{2, {10}, {50}}, {3, {51}, {}}, {5, {53}, {}}, {6, {30, 31, 34}, {32, 33}}, {8, {14, 15, 21}, {17, 16, 23}}};
    for (const auto& l : layouts) {
        header.setType(l.type);
        EXPECT_EQ(tags(header.leftButtons()), l.left) << l.type;
        EXPECT_EQ(tags(header.rightButtons()), l.right) << l.type;
        EXPECT_FALSE(header.menuEnabled()) << l.type;
    }
    header.setType(5);
    EXPECT_EQ(header.title(), "IMAGE LIST");
    header.setType(4); // no such layout: the title stays, no buttons
    EXPECT_TRUE(header.leftButtons().isEmpty());
    EXPECT_TRUE(header.rightButtons().isEmpty());
}

TEST(HeaderBar, AnUploadedOrderCannotBeChangedButCanBeSentAgain)
{
    HeaderViewController header(HeaderViewController::OrderDetail);
    for (int tag : {30, 31, 32, 33, 34})
        EXPECT_TRUE(buttonWithTag(header, tag).value("enabled").toBool()) << tag;
    header.setDetailsUploaded(true);
    for (int tag : {31, 33, 34})
        EXPECT_FALSE(buttonWithTag(header, tag).value("enabled").toBool()) << tag;
    for (int tag : {30, 32})
        EXPECT_TRUE(buttonWithTag(header, tag).value("enabled").toBool()) << tag;
}

TEST(HeaderBar, SelectDraftsTogglePostsWhatItShowedThenFlips)
{
    TagRecorder recorder;
    HeaderViewController header(HeaderViewController::MultipleSelect);
    EXPECT_EQ(header.title(), Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER"));
    header.updateSelectModeHeader(3);
    EXPECT_EQ(header.title(), "3 " + Strings::localized("ORDERLISTVIEW_SELECTMODE"));

    header.buttonClicked(21);
    EXPECT_EQ(buttonWithTag(header, 22).value("icon").toString(), "btn_de_select.png");
    header.buttonClicked(22);
    EXPECT_EQ(buttonWithTag(header, 21).value("icon").toString(), "btn_select_draft.png");
    EXPECT_EQ(recorder.tags, QList<int>({21, 22}));
    // The count in the title survives the flip.
    EXPECT_EQ(header.title(), "3 " + Strings::localized("ORDERLISTVIEW_SELECTMODE"));
}

TEST(HeaderBar, OrderListTitlesAndTheModeMenu)
{
    HeaderViewController header(HeaderViewController::OrderList);
    header.updateOrderListHeader(2);
    EXPECT_EQ(header.title(), Strings::localized("ORDERLISTVIEW_HEADER_UPLOADED_ORDER"));
    header.updateOrderListHeader(3);
    EXPECT_EQ(header.title(), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
    header.updateOrderListHeader(9);
    EXPECT_TRUE(header.title().isEmpty());

    FakeDialogs dialogs;
    header.setDialogs(&dialogs);
    header.showPopover();
    ASSERT_NE(dialogs.last("popover"), nullptr);
    EXPECT_EQ(dialogs.last("popover")->size, QSizeF(250, 210));
    auto* menu = qobject_cast<MainMenuController*>(dialogs.last("popover")->controller);
    ASSERT_NE(menu, nullptr);
    TagRecorder recorder;
    for (const QVariant& entry : menu->entries())
        menu->choose(entry.toMap().value("tag").toInt());
    EXPECT_EQ(recorder.tags, QList<int>({10, 19, 20}));

    // Only the order list layout has the menu.
    header.setType(HeaderViewController::ItemList);
    header.showPopover();
    EXPECT_EQ(dialogs.count("popover"), 1);
}
