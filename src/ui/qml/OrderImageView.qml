import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The photos filed for one order: a grid of pictures with the time each was
// taken.
Rectangle {
    id: screen
    objectName: "orderImageView"

    property var controller
    color: Theme.background

    readonly property bool compact: width < 600
    readonly property int columns: compact ? 2 : 4

    Label {
        id: orderLabel
        objectName: "orderNoLabel"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: 48
        leftPadding: 20
        verticalAlignment: Text.AlignVCenter
        text: screen.controller ? screen.controller.OrderNo : ""
        color: Theme.primary
        font.pixelSize: Theme.fontBody
        font.bold: true
        elide: Text.ElideRight
        background: Rectangle { color: "#e4e9ee" }
    }

    GridView {
        id: grid
        objectName: "photoGrid"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: orderLabel.bottom
        anchors.bottom: parent.bottom
        anchors.margins: 8
        clip: true
        cellWidth: Math.floor(width / screen.columns)
        cellHeight: cellWidth + 32
        model: screen.controller ? screen.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: Item {
            id: cell
            required property int index
            required property string source
            required property string taken
            required property bool available
            objectName: "photoCell" + index
            width: grid.cellWidth
            height: grid.cellHeight

            Rectangle {
                anchors.fill: parent
                anchors.margins: 6
                radius: 8
                color: Theme.surface
                border.color: "#d5dce3"
                ColumnLayout {
                    anchors.fill: parent
                    anchors.margins: 6
                    spacing: 4
                    Image {
                        objectName: "photo"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        source: cell.source
                        sourceSize.width: 400
                        sourceSize.height: 400
                        fillMode: Image.PreserveAspectFit
                        asynchronous: true
                    }
                    Label {
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignHCenter
                        text: cell.available ? cell.taken : qsTrId("ORDERIMAGEVIEW_MISSING")
                        color: Theme.textMuted
                        font.pixelSize: Theme.fontSmall
                        elide: Text.ElideRight
                    }
                }
            }
        }
    }

    Label {
        objectName: "noPhotosLabel"
        anchors.centerIn: grid
        width: grid.width - 48
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        visible: grid.count === 0
        text: qsTrId("ORDERIMAGEVIEW_EMPTY")
        color: Theme.textMuted
        font.pixelSize: Theme.fontBody
    }
}
