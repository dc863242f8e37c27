import QtQuick
import QtQuick.Controls

// A button in the application's colours: primary (filled with the accent)
// or plain (light grey), 48 points high.
Button {
    id: button
    property bool primary: false

    implicitHeight: 48
    implicitWidth: Math.max(96, contentItem.implicitWidth + 32)
    font.pixelSize: Theme.fontBody

    contentItem: Label {
        text: button.text
        font: button.font
        color: button.primary ? Theme.textOnPrimary : Theme.primary
        opacity: button.enabled ? 1 : 0.4
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: 8
        color: button.primary ? (button.down ? Qt.darker(Theme.accent, 1.2) : Theme.accent)
                              : (button.down ? "#d5dce3" : "#e8ecf0")
    }
}
