import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The body shared by the two customer pickers: the keyword field (80 high),
// the full-width cancel button, and the list of full-width buttons, each 90
// apart. A new list fades in over the one it replaces.
Pane {
    id: picker

    property var controller
    // Return in the keyword field.
    signal returnPressed()
    // The button at this index was touched.
    signal entryTouched(int index)

    padding: 10
    background: Rectangle { color: "#e9edf1"; radius: 10 }

    ColumnLayout {
        anchors.fill: parent
        spacing: 10

        TextField {
            id: keywordField
            objectName: "keywordField"
            Layout.fillWidth: true
            Layout.preferredHeight: 80
            horizontalAlignment: Text.AlignHCenter
            font.family: "Avenir Next Condensed"
            font.pixelSize: App.tablet ? 30 : 22
            placeholderText: picker.controller ? picker.controller.placeholder : ""
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
            text: picker.controller ? picker.controller.keyword : ""
            onTextEdited: picker.controller.keyword = text
            onAccepted: {
                picker.returnPressed()
                focus = false
            }
            background: Rectangle { radius: 8; color: Theme.surface; border.color: keywordField.activeFocus ? Theme.primary : "#cfd6dd" }
        }
        AppButton {
            objectName: "pickerCancel"
            Layout.fillWidth: true
            Layout.preferredHeight: 56
            text: picker.controller ? picker.controller.cancelTitle : ""
            font.bold: true
            background: Rectangle {
                radius: 8
                color: parent.down ? "#dfe6ed" : Theme.surface
                border.color: Theme.primary
                border.width: 1
            }
            onClicked: picker.controller.buttonCancelClicked()
        }
        ListView {
            id: entries
            objectName: "pickerEntries"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 10
            model: picker.controller ? picker.controller.entries : []
            onModelChanged: fadeIn.restart()
            NumberAnimation { id: fadeIn; target: entries; property: "opacity"; from: 0; to: 1; duration: 300 }
            delegate: ItemDelegate {
                id: entry
                required property string modelData
                required property int index
                objectName: "pickerEntry" + index
                width: entries.width
                height: 80
                padding: 0
                background: Rectangle { radius: 8; color: entry.down ? "#dfe6ed" : Theme.surface }
                contentItem: Label {
                    leftPadding: 20
                    rightPadding: 12
                    verticalAlignment: Text.AlignVCenter
                    text: entry.modelData
                    color: "#5f6b77"
                    font.family: "Avenir Next Condensed"
                    font.pixelSize: App.tablet ? 30 : 22
                    elide: Text.ElideRight
                }
                onClicked: picker.entryTouched(index)
            }
            ScrollIndicator.vertical: ScrollIndicator {}
        }
    }
}
