import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The order-mode menu: three full-width buttons.
Pane {
    id: menu
    property var controller
    padding: 8

    ColumnLayout {
        anchors.fill: parent
        spacing: 6
        Repeater {
            model: menu.controller ? menu.controller.entries : []
            AppButton {
                objectName: "menuEntry" + modelData.tag
                Layout.fillWidth: true
                Layout.fillHeight: true
                text: modelData.title
                onClicked: menu.controller.choose(modelData.tag)
            }
        }
    }
}
