import QtQuick
import QtQuick.Controls

// The sold-to filter panel: "Cancel", then one button per customer, 80 high
// and 90 apart.
Pane {
    id: panel
    objectName: "orderListCustomerFilter"
    property var controller
    padding: 10
    background: Rectangle { color: Theme.surface; radius: 10 }

    ListView {
        id: entries
        objectName: "customerEntries"
        anchors.fill: parent
        clip: true
        spacing: 10
        model: panel.controller ? panel.controller.entries : []
        delegate: AppButton {
            required property string modelData
            required property int index
            objectName: "customerEntry" + index
            width: entries.width
            height: 80
            text: modelData
            font.bold: index === 0
            onClicked: panel.controller.buttonClicked(index)
        }
        ScrollIndicator.vertical: ScrollIndicator {}
    }
}
