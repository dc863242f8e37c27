import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The order list: the search bar, then the rows. Above the first row, out of
// view until the list is pulled a little, the sort and filter bar; pulled
// further, the list refreshes the master data. In multiple selection a touch
// selects or deselects a row.
Rectangle {
    id: screen
    objectName: "orderListView"

    property var controller
    color: Theme.background

    readonly property bool compact: width < 600

    // ---- search bar

    Rectangle {
        id: searchBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: 56
        color: "#e4e9ee"

        RowLayout {
            anchors.fill: parent
            anchors.margins: 8
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
                        sourceSize.width: 22
                        sourceSize.height: 22
                    }
                    TextField {
                        id: searchField
                        objectName: "searchField"
                        Layout.fillWidth: true
                        placeholderText: qsTrId("ORDERLISTVIEW_SEARCH_PLACEHOLDER")
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        font.pixelSize: Theme.fontBody
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
                text: qsTrId("ORDERLISTVIEW_SEARCH_CANCEL")
                Layout.fillHeight: true
                onClicked: {
                    screen.controller.searchCancel()
                    searchField.focus = false
                    screen.forceActiveFocus()
                }
            }
        }
    }

    // ---- what a filter holds the rows to

    Rectangle {
        id: filterBar
        objectName: "filterBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: searchBar.bottom
        height: visible ? 40 : 0
        visible: screen.controller && screen.controller.filterText.length > 0
        color: "#fff4dc"
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 8
            Image { source: "image://rq/icon_filter.png"; sourceSize.width: 20; sourceSize.height: 20 }
            Label {
                objectName: "filterLabel"
                Layout.fillWidth: true
                text: screen.controller ? screen.controller.filterText : ""
                elide: Text.ElideRight
                font.pixelSize: Theme.fontSmall + 2
            }
            ToolButton {
                objectName: "filterClear"
                text: "✕"
                onClicked: screen.controller.updateSalesOrderArray()
            }
        }
    }

    // ---- the rows

    ListView {
        id: list
        objectName: "orderList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: filterBar.bottom
        anchors.bottom: parent.bottom
        clip: true
        model: screen.controller ? screen.controller.model : null
        boundsBehavior: Flickable.DragOverBounds
        topMargin: screen.controller && screen.controller.refreshing ? refreshBar.height : 0
        Behavior on topMargin { NumberAnimation { duration: 200 } }

        readonly property real pull: originY - topMargin - contentY
        readonly property real refreshDistance: 90

        header: Rectangle {
            id: sortBar
            objectName: "sortBar"
            width: list.width
            height: Math.max(56, Math.round(screen.Window.height * 0.1))
            color: Theme.surface

            component SortButton: ToolButton {
                id: sortButton
                property int tag
                property string label
                property real arrowRotation: 0
                property bool showArrow: false
                Layout.fillWidth: true
                Layout.fillHeight: true
                background: Rectangle {
                    color: sortButton.down ? "#dfe6ed" : "transparent"
                    Rectangle { anchors.right: parent.right; width: 1; height: parent.height * 0.6; anchors.verticalCenter: parent.verticalCenter; color: "#dde3e9" }
                }
                contentItem: Item {
                    Row {
                        anchors.centerIn: parent
                        spacing: 6
                        Label {
                            anchors.verticalCenter: parent.verticalCenter
                            text: sortButton.label
                            color: Theme.primary
                            font.pixelSize: screen.compact ? 12 : Theme.fontSmall + 1
                            width: Math.min(implicitWidth, sortButton.width - (sortButton.showArrow ? 34 : 8))
                            wrapMode: Text.WordWrap
                            horizontalAlignment: Text.AlignHCenter
                        }
                        Image {
                            anchors.verticalCenter: parent.verticalCenter
                            visible: sortButton.showArrow
                            source: "image://rq/icon_sort_arrow.png"
                            sourceSize.width: 20
                            sourceSize.height: 20
                            rotation: sortButton.arrowRotation
                            Behavior on rotation { NumberAnimation { duration: 300 } }
                        }
                    }
                }
                onClicked: screen.controller.buttonClicked(sortButton.tag)
            }

            RowLayout {
                anchors.fill: parent
                spacing: 0
                SortButton {
                    objectName: "sortButtonDate"
                    tag: screen.controller ? screen.controller.dateButtonTag : 2
                    label: qsTrId("ORDERLISTVIEW_ORDERBY_DATE")
                    showArrow: true
                    arrowRotation: screen.controller ? screen.controller.dateArrowRotation : 0
                }
                SortButton {
                    objectName: "filterButton6"
                    tag: 6
                    label: qsTrId("ORDERLISTVIEW_FILTERBY_DATE")
                }
                SortButton {
                    objectName: "sortButtonCustomer"
                    tag: screen.controller ? screen.controller.customerButtonTag : 3
                    label: qsTrId("ORDERLISTVIEW_ORDERBY_CUSTOMER")
                    showArrow: true
                    arrowRotation: screen.controller ? screen.controller.customerArrowRotation : 180
                }
                SortButton {
                    objectName: "filterButton5"
                    tag: 5
                    label: qsTrId("ORDERLISTVIEW_FILTERBY_CUSTOMER")
                }
            }
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#dde3e9" }
        }

        delegate: OrderListCell {
            width: list.width
            multiSelection: screen.controller ? screen.controller.multiSelectionMode : false
            current: screen.controller ? screen.controller.currentRow === index : false
            onClicked: screen.controller.rowClicked(index)
        }

        onDragEnded: {
            if (pull > refreshDistance && screen.controller)
                screen.controller.refreshAllDataFromServer()
        }

        ScrollIndicator.vertical: ScrollIndicator {}

        // The sort bar waits above the first row until the salesman moves
        // the list; until then it stays tucked away while sizes settle.
        property bool sortBarTucked: true
        function hideSortBar() {
            if (sortBarTucked && headerItem && !moving && contentHeight > height)
                contentY = 0
        }
        onMovementStarted: sortBarTucked = false
        onContentHeightChanged: hideSortBar()
        onHeightChanged: hideSortBar()
        onOriginYChanged: hideSortBar()
        function showRow(row) {
            if (row >= 0 && row < count)
                positionViewAtIndex(row, ListView.Center)
        }
    }

    // Pull to refresh: the prompt while pulling, the spinner while it runs.
    Item {
        id: refreshBar
        objectName: "refreshBar"
        anchors.left: list.left
        anchors.right: list.right
        anchors.top: list.top
        height: 56
        visible: (screen.controller && screen.controller.refreshing) || list.pull > 8
        opacity: screen.controller && screen.controller.refreshing ? 1 : Math.min(1, list.pull / list.refreshDistance)
        Row {
            anchors.centerIn: parent
            spacing: 10
            BusyIndicator {
                objectName: "refreshSpinner"
                running: screen.controller ? screen.controller.refreshing : false
                visible: running
                width: 32
                height: 32
            }
            Label {
                anchors.verticalCenter: parent.verticalCenter
                objectName: "refreshLabel"
                text: screen.controller && screen.controller.refreshing && screen.controller.progressText !== ""
                      ? screen.controller.progressText : qsTrId("ORDERLISTVIEW_PULL_TO_REFRESH")
                color: Theme.textMuted
                font.pixelSize: Theme.fontSmall + 1
            }
        }
    }

    Label {
        objectName: "emptyLabel"
        anchors.centerIn: list
        visible: list.count === 0
        text: qsTrId("ORDERLISTVIEW_EMPTY")
        color: Theme.textMuted
        font.pixelSize: Theme.fontBody
    }

    Connections {
        target: screen.controller
        function onScrollToRowRequested(row) { list.showRow(row) }
    }

    Component.onCompleted: Qt.callLater(function() {
        list.hideSortBar()
        if (screen.controller && screen.controller.currentRow >= 0)
            list.showRow(screen.controller.currentRow)
    })
}
