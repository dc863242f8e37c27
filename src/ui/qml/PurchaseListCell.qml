import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One row of the purchase list and of the promotion products, 60 points high:
// the item code, the description and, at the right, the badge with what is
// ordered ("12BOX"; blank for a promotion that holds lines). A one-point grey
// rule runs at 58 points. Reads the model's roles of its row.
ItemDelegate {
    id: cell

    required property int index
    required property string skuCode
    required property string itemDescription
    required property string badge
    required property bool badgeVisible

    objectName: "purchaseCell" + index
    height: 60
    padding: 0

    readonly property bool compact: width < 600

    background: Rectangle {
        color: cell.down ? "#f0f3f6" : Theme.surface
        Rectangle { y: 58; width: parent.width; height: 1; color: "#d5dbe1" }
    }

    contentItem: Item {
        GridLayout {
            anchors.fill: parent
            anchors.leftMargin: cell.compact ? 12 : 20
            anchors.rightMargin: cell.compact ? 12 : 20
            anchors.bottomMargin: 2
            columns: cell.compact ? 1 : 2
            rowSpacing: 0
            columnSpacing: 16
            Label {
                objectName: "skuCodeLabel"
                Layout.preferredWidth: cell.compact ? -1 : Math.min(240, cell.width * 0.28)
                Layout.fillWidth: cell.compact
                Layout.rightMargin: cell.compact ? badgeView.width + 8 : 0
                text: cell.skuCode
                font.pixelSize: cell.compact ? Theme.fontBody - 2 : Theme.fontBody
                font.bold: true
                color: Theme.text
                elide: Text.ElideRight
            }
            Label {
                objectName: "descriptionLabel"
                Layout.fillWidth: true
                Layout.rightMargin: badgeView.width + 12
                text: cell.itemDescription
                font.pixelSize: cell.compact ? Theme.fontSmall : Theme.fontBody - 1
                color: cell.compact ? Theme.textMuted : Theme.text
                elide: Text.ElideRight
            }
        }

        Rectangle {
            id: badgeView
            objectName: "badgeView"
            visible: cell.badgeVisible
            anchors.right: parent.right
            anchors.rightMargin: cell.compact ? 12 : 20
            anchors.verticalCenter: parent.verticalCenter
            anchors.verticalCenterOffset: -1
            height: 30
            width: visible ? Math.max(30, badgeLabel.implicitWidth + 20) : 0
            radius: 15
            color: "#d93a2b"
            Label {
                id: badgeLabel
                objectName: "badgeLabel"
                anchors.centerIn: parent
                text: cell.badge
                color: "white"
                font.pixelSize: Theme.fontSmall + 1
                font.bold: true
            }
        }
    }
}
