import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The purchase list: "Item" and "Promotion" at the top, the search field, the
// six category buttons with "Cancel" to clear them, then the catalogue or the
// running promotions. Touching an item opens the quantity popover at its row;
// touching a promotion opens its products.
Rectangle {
    id: screen
    objectName: "purchaseListView"

    property var controller
    color: Theme.background

    readonly property bool compact: width < 600
    readonly property bool promo: !!controller && controller.showtype === "Promo"

    component ModeButton: Button {
        id: modeButton
        property bool current: false
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        Layout.fillHeight: true
        font.pixelSize: Theme.fontBody
        font.bold: current
        contentItem: Label {
            text: modeButton.text
            font: modeButton.font
            color: modeButton.current ? Theme.textOnPrimary : Theme.primary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            color: modeButton.current ? Theme.primary : (modeButton.down ? "#d5dce3" : Theme.surface)
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: modeButton.current ? 0 : 1; color: "#d5dbe1" }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // ---- the two modes
        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: false
            Layout.preferredHeight: 52
            spacing: 0
            ModeButton {
                objectName: "itemButton"
                text: "Item"
                current: !screen.promo
                onClicked: screen.controller.ItemFunction()
            }
            ModeButton {
                objectName: "promoButton"
                text: "Promotion"
                current: screen.promo
                onClicked: screen.controller.PromoFunction()
            }
        }

        PurchaseSearchBar {
            Layout.fillWidth: true
            controller: screen.controller
            placeholder: qsTrId("PURCHASELIST_SEARCH_PLACEHOLDER")
        }

        // ---- the categories and their clearing button
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: categoryGrid.implicitHeight + 16
            color: Theme.surface
            GridLayout {
                id: categoryGrid
                anchors.fill: parent
                anchors.margins: 8
                columns: screen.compact ? 4 : 7
                rowSpacing: 6
                columnSpacing: 6
                Repeater {
                    model: screen.controller ? screen.controller.categoryTitles : []
                    AppButton {
                        id: categoryButton
                        required property int index
                        required property string modelData
                        readonly property bool chosen: modelData !== "Category" + (index + 1)
                        objectName: "cateButton" + (index + 1)
                        Layout.fillWidth: true
                        Layout.preferredWidth: 1
                        implicitHeight: 44
                        enabled: !!screen.controller && screen.controller.categoriesEnabled
                        primary: chosen
                        text: modelData
                        font.pixelSize: screen.compact ? Theme.fontSmall - 1 : Theme.fontSmall + 1
                        font.bold: chosen
                        onClicked: screen.controller.cateFunction(index + 1)
                    }
                }
                AppButton {
                    objectName: "cateCancelButton"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    implicitHeight: 44
                    text: "Cancel"
                    font.pixelSize: screen.compact ? Theme.fontSmall - 1 : Theme.fontSmall + 1
                    onClicked: screen.controller.CancelcateFunction()
                }
            }
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#d5dbe1" }
        }

        // ---- the list
        ListView {
            id: list
            objectName: "purchaseList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: screen.controller ? screen.controller.model : null
            delegate: PurchaseListCell {
                width: list.width
                onClicked: screen.controller.rowClicked(index)
            }
            ScrollIndicator.vertical: ScrollIndicator {}

            Label {
                objectName: "emptyLabel"
                anchors.centerIn: parent
                width: parent.width - 48
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                visible: list.count === 0
                text: screen.controller ? screen.controller.emptyText : ""
                color: Theme.textMuted
                font.pixelSize: Theme.fontBody
            }
        }
    }

    // A new mode or a new filter starts at the top of the list.
    Connections {
        target: screen.controller
        function onShowtypeChanged() { list.positionViewAtBeginning() }
        function onCategoryTitlesChanged() { list.positionViewAtBeginning() }
    }
}
