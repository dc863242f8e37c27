import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The quantity popover: a title, the quantity field (digits only), the unit
// label that switches between the item's two units when touched, cancel and
// confirm.
Pane {
    id: popover
    property var controller
    padding: 16
    background: Rectangle { color: Theme.surface; radius: 10 }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        Label {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: popover.controller ? popover.controller.title : ""
            font.pixelSize: Theme.fontTitle - 4
            font.bold: true
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            TextField {
                id: quantityField
                objectName: "quantityField"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: Theme.fontTitle
                inputMethodHints: Qt.ImhDigitsOnly
                maximumLength: popover.controller ? popover.controller.maximumDigits : 6
                text: popover.controller ? popover.controller.quantity : ""
                onTextEdited: popover.controller.quantity = text
                onAccepted: popover.controller.buttonClicked(1)
                Component.onCompleted: { forceActiveFocus(); selectAll() }
            }
            Rectangle {
                objectName: "unitLabel"
                Layout.preferredWidth: 96
                Layout.preferredHeight: quantityField.height
                radius: 8
                color: "#e8ecf0"
                Label {
                    anchors.centerIn: parent
                    text: popover.controller ? popover.controller.capacity : ""
                    font.pixelSize: Theme.fontBody
                    font.bold: true
                    color: Theme.primary
                }
                MouseArea { anchors.fill: parent; onClicked: popover.controller.switchUnit() }
            }
        }
        Item { Layout.fillHeight: true }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            AppButton {
                objectName: "quantityCancel"
                Layout.fillWidth: true
                text: "Cancel"
                onClicked: popover.controller.buttonClicked(2)
            }
            AppButton {
                objectName: "quantityConfirm"
                Layout.fillWidth: true
                primary: true
                text: "OK"
                onClicked: popover.controller.buttonClicked(1)
            }
        }
    }
}
