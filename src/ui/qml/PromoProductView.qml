import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The products of one promotion: the promotion's description as the title,
// the search field, then the products. Touching a product opens the quantity
// popover at its row; what is ordered here is ordered inside the promotion.
Rectangle {
    id: screen
    objectName: "promoProductView"

    property var controller
    color: Theme.background

    readonly property bool compact: width < 600

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: promoName.implicitHeight + 24
            color: Theme.surface
            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: screen.compact ? 12 : 20
                anchors.rightMargin: screen.compact ? 12 : 20
                spacing: 12
                Rectangle {
                    Layout.preferredWidth: 6
                    Layout.fillHeight: true
                    Layout.topMargin: 12
                    Layout.bottomMargin: 12
                    radius: 3
                    color: Theme.accent
                }
                Label {
                    id: promoName
                    objectName: "promoNameLabel"
                    Layout.fillWidth: true
                    text: screen.controller ? screen.controller.promoName : ""
                    font.pixelSize: screen.compact ? 21 : 25
                    wrapMode: Text.WordWrap
                    color: Theme.text
                }
            }
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#d5dbe1" }
        }

        PurchaseSearchBar {
            Layout.fillWidth: true
            controller: screen.controller
            placeholder: qsTrId("PROMOPRODUCT_SEARCH_PLACEHOLDER")
        }

        ListView {
            id: list
            objectName: "promoProductList"
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
}
