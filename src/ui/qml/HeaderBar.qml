import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The header bar, 80 points high: the title in the middle, the layout's
// buttons at both ends. In the order list layout a touch in the middle half
// turns the title grey and, when it ends, opens the order-mode menu.
Rectangle {
    id: bar

    property var header
    height: Theme.headerHeight
    color: Theme.primaryDark

    component HeaderButton: ToolButton {
        required property var modelData
        objectName: "headerButton" + modelData.tag
        enabled: modelData.enabled
        opacity: enabled ? 1 : 0.35
        Layout.preferredHeight: bar.height
        Layout.preferredWidth: App.tablet ? 84 : 44
        background: Rectangle { color: parent.down ? "#33ffffff" : "transparent" }
        contentItem: Item {
          Column {
            anchors.centerIn: parent
            spacing: 2
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                source: "image://rq/" + modelData.icon
                sourceSize.width: 32
                sourceSize.height: 32
            }
            Label {
                anchors.horizontalCenter: parent.horizontalCenter
                visible: App.tablet
                text: modelData.label
                color: Theme.textOnPrimary
                font.pixelSize: 12
            }
          }
        }
        onClicked: bar.header.buttonClicked(modelData.tag)
    }

    // The whole bar fades in whenever its layout changes.
    opacity: 1
    Connections {
        target: bar.header
        function onTypeChanged() { barFade.restart() }
    }
    NumberAnimation { id: barFade; target: bar; property: "opacity"; from: 0; to: 1; duration: 300 }

    MouseArea {
        id: titleTouch
        anchors.fill: parent
        enabled: bar.header && bar.header.menuEnabled
        property bool armed: false
        function inZone(x) { return x > bar.width * 0.25 && x < bar.width * 0.75 }
        onPressed: (mouse) => { armed = inZone(mouse.x) }
        onPositionChanged: (mouse) => { armed = inZone(mouse.x) }
        onReleased: {
            if (armed) {
                armed = false
                bar.header.showPopover()
            }
        }
        onCanceled: armed = false
    }

    // The title, centred. In the order list layout the drop-down indicator
    // stands just right of it and moves (over 0.3 s) when the title changes.
    Label {
        id: titleLabel
        objectName: "headerTitleLabel"
        anchors.centerIn: parent
        // Between the two groups of buttons, whichever is wider.
        width: Math.max(0, Math.min(implicitWidth, bar.width - 2 * Math.max(leftButtons.width, rightButtons.width) - 8))
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        text: bar.header ? bar.header.title : ""
        color: titleTouch.armed ? "#b0b8c0" : Theme.textOnPrimary
        font.pixelSize: App.tablet ? Theme.fontTitle : Theme.fontBody
        font.bold: true
    }
    Image {
        id: menuIndicator
        objectName: "headerMenuIndicator"
        visible: bar.header !== null && bar.header.menuEnabled
        x: (titleLabel.width + bar.width) / 2
        anchors.verticalCenter: parent.verticalCenter
        source: "image://rq/icon_dropdown.png"
        sourceSize.width: 24
        sourceSize.height: 24
        Behavior on x { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
    }
    // What the order-mode menu points at: the title and its indicator.
    Item {
        objectName: "headerTitle"
        x: titleLabel.x
        y: titleLabel.y
        width: menuIndicator.visible ? menuIndicator.x + menuIndicator.width - titleLabel.x : titleLabel.width
        height: titleLabel.height
    }

    RowLayout {
        id: leftButtons
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        spacing: 0
        Repeater {
            model: bar.header ? bar.header.leftButtons : []
            HeaderButton {}
        }
    }
    RowLayout {
        id: rightButtons
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        layoutDirection: Qt.RightToLeft
        spacing: 0
        Repeater {
            model: bar.header ? bar.header.rightButtons : []
            HeaderButton {}
        }
    }
}
