import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One row of the order list, 100 points high: the customer's picture, the
// two number lines, the order and delivery days on the right; the priority
// mark in the top-left corner and the draft mark in the top-right corner.
// Reads the model's roles of its row.
ItemDelegate {
    id: cell

    required property int index
    required property string firstLine
    required property string secondLine
    required property string creationDate
    required property string deliveryDate
    required property bool priority
    required property bool draft
    required property string thumbnail
    required property bool selected

    property bool multiSelection: false
    property bool current: false

    objectName: "orderCell" + index
    height: 100
    padding: 0

    readonly property bool compact: width < 600

    background: Rectangle {
        color: cell.selected ? "#d6e6f5" : (cell.current ? "#eef4fa" : (cell.down ? "#f0f3f6" : Theme.surface))
        Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#e1e6eb" }
        Rectangle { visible: cell.current && !cell.selected; anchors.left: parent.left; width: 4; height: parent.height; color: Theme.accent }
    }

    contentItem: Item {
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: cell.compact ? 10 : 16
            anchors.rightMargin: cell.compact ? 10 : 16
            spacing: cell.compact ? 8 : 12

            // The selection mark, in multiple selection only.
            Rectangle {
                objectName: "selectionMark"
                visible: cell.multiSelection
                Layout.preferredWidth: 26
                Layout.preferredHeight: 26
                radius: 13
                color: cell.selected ? Theme.primary : "transparent"
                border.color: cell.selected ? Theme.primary : "#9aa5b1"
                border.width: 2
                Label {
                    anchors.centerIn: parent
                    visible: cell.selected
                    text: "✓"
                    color: "white"
                    font.bold: true
                }
            }

            Image {
                objectName: "thumbnail"
                Layout.preferredWidth: 80
                Layout.preferredHeight: 80
                source: cell.thumbnail
                sourceSize.width: 160
                sourceSize.height: 160
                fillMode: Image.PreserveAspectCrop
                asynchronous: true
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 6
                Label {
                    objectName: "firstLine"
                    Layout.fillWidth: true
                    text: cell.firstLine
                    font.pixelSize: cell.compact ? Theme.fontBody - 2 : Theme.fontBody + 2
                    font.bold: true
                    color: Theme.text
                    elide: Text.ElideRight
                }
                Label {
                    objectName: "secondLine"
                    Layout.fillWidth: true
                    text: cell.secondLine
                    font.pixelSize: Theme.fontBody - 2
                    color: Theme.textMuted
                    elide: Text.ElideRight
                }
            }

            ColumnLayout {
                spacing: 8
                Layout.alignment: Qt.AlignVCenter | Qt.AlignRight
                RowLayout {
                    spacing: 6
                    Layout.alignment: Qt.AlignRight
                    Image { source: "image://rq/icon_date.png"; sourceSize.width: cell.compact ? 16 : 20; sourceSize.height: cell.compact ? 16 : 20 }
                    Label {
                        objectName: "creationDate"
                        text: cell.creationDate
                        font.pixelSize: cell.compact ? Theme.fontSmall - 2 : Theme.fontSmall + 1
                        color: Theme.text
                    }
                }
                RowLayout {
                    spacing: 6
                    Layout.alignment: Qt.AlignRight
                    Image { source: "image://rq/icon_date_delivery.png"; sourceSize.width: cell.compact ? 16 : 20; sourceSize.height: cell.compact ? 16 : 20 }
                    Label {
                        objectName: "deliveryDate"
                        text: cell.deliveryDate
                        font.pixelSize: cell.compact ? Theme.fontSmall - 2 : Theme.fontSmall + 1
                        color: Theme.text
                    }
                }
            }
        }

        Image {
            objectName: "priorityMark"
            visible: cell.priority
            anchors.left: parent.left
            anchors.top: parent.top
            source: "image://rq/icon_priority.png"
            sourceSize.width: 28
            sourceSize.height: 28
        }
        Image {
            objectName: "draftMark"
            visible: cell.draft
            anchors.right: parent.right
            anchors.top: parent.top
            source: "image://rq/icon_draft.png"
            sourceSize.width: 28
            sourceSize.height: 28
        }
    }
}
