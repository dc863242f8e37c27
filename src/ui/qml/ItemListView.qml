import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The item catalogue: a search bar 44 points high, then the grid of items in
// three columns, each (width − 20) / 3 wide with 10 points between columns.
// After a scan a bar says which barcode the single item shown carries.
Rectangle {
    id: screen
    objectName: "itemListView"

    property var controller
    color: Theme.background

    // ---- search bar

    Rectangle {
        id: searchBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: 44
        color: "#e4e9ee"

        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 8
            anchors.rightMargin: 8
            anchors.topMargin: 5
            anchors.bottomMargin: 5
            spacing: 8
            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                radius: 8
                color: Theme.surface
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 10
                    anchors.rightMargin: 10
                    spacing: 8
                    Image {
                        source: "image://rq/icon_search.png"
                        sourceSize.width: 20
                        sourceSize.height: 20
                    }
                    TextField {
                        id: searchField
                        objectName: "searchField"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        placeholderText: qsTrId("ITEMLISTVIEW_SEARCH_PLACEHOLDER")
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        font.pixelSize: Theme.fontBody - 2
                        verticalAlignment: TextInput.AlignVCenter
                        topPadding: 0
                        bottomPadding: 0
                        background: null
                        text: screen.controller ? screen.controller.searchText : ""
                        onActiveFocusChanged: if (activeFocus && screen.controller) screen.controller.searchBegin()
                        onTextEdited: screen.controller.setSearchText(text)
                        onAccepted: screen.controller.searchButtonClicked()
                    }
                }
            }
            AppButton {
                objectName: "searchCancel"
                visible: screen.controller !== undefined && screen.controller !== null && screen.controller.searching
                text: qsTrId("ITEMLISTVIEW_SEARCH_CANCEL")
                Layout.fillHeight: true
                implicitHeight: 34
                font.pixelSize: Theme.fontBody - 2
                onClicked: {
                    screen.controller.searchCancel()
                    searchField.focus = false
                    screen.forceActiveFocus()
                }
            }
        }
    }

    // ---- which barcode the item shown carries

    Rectangle {
        id: scanBar
        objectName: "scanBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: searchBar.bottom
        height: visible ? 48 : 0
        visible: screen.controller ? screen.controller.scannedCode.length > 0 : false
        color: "#fff4dc"
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 8
            spacing: 8
            Image { source: "image://rq/btn_barcode.png"; sourceSize.width: 22; sourceSize.height: 22 }
            Label {
                objectName: "scanLabel"
                Layout.fillWidth: true
                text: screen.controller ? qsTrId("ITEMLISTVIEW_BARCODESCANNER_RESULT").arg(screen.controller.scannedCode) : ""
                elide: Text.ElideRight
                font.pixelSize: Theme.fontSmall + 2
            }
            // The way back to the whole catalogue.
            AppButton {
                objectName: "scanShowAll"
                implicitHeight: 36
                font.pixelSize: Theme.fontSmall + 1
                text: qsTrId("ITEMLISTVIEW_BARCODESCANNER_SHOW_ALL")
                onClicked: screen.controller.showAllItems()
            }
        }
    }

    // ---- the grid

    GridView {
        id: grid
        objectName: "itemGrid"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: scanBar.bottom
        anchors.bottom: parent.bottom
        clip: true
        model: screen.controller ? screen.controller.model : null

        // Three columns of (width − 20) / 3 with 10 between them: the grid's
        // slots are a third of the width, and each cell stands where its
        // column begins.
        readonly property real itemWidth: (width - 20) / 3
        cellWidth: width / 3
        cellHeight: itemWidth + 60

        delegate: Item {
            id: slot
            required property int index
            required property string skuCode
            required property string description
            required property string picture
            required property bool hasPicture
            width: grid.cellWidth
            height: grid.cellHeight
            ItemListCell {
                // On whole pixels, so that no edge of the grey square shows
                // beside the picture.
                x: Math.round((slot.index % 3) * (grid.itemWidth + 10)) - slot.x
                width: Math.round(grid.itemWidth)
                height: grid.cellHeight
                index: slot.index
                skuCode: slot.skuCode
                description: slot.description
                picture: slot.picture
                hasPicture: slot.hasPicture
                onClicked: screen.controller.itemClicked(slot.index)
            }
        }

        ScrollIndicator.vertical: ScrollIndicator {}
    }

    Label {
        objectName: "emptyLabel"
        anchors.centerIn: grid
        visible: grid.count === 0
        text: qsTrId("ITEMLISTVIEW_EMPTY")
        color: Theme.textMuted
        font.pixelSize: Theme.fontBody
    }
}
