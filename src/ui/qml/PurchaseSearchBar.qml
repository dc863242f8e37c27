import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The search field of the purchase list and the promotion products: no
// automatic capitals, no corrections; its cancel button shows while it is in
// use. Every change of the text searches at once.
Rectangle {
    id: bar

    property var controller
    property string placeholder: ""

    height: 56
    color: "#e4e9ee"

    function leave() {
        field.focus = false
        bar.forceActiveFocus()
    }

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
                    id: field
                    objectName: "searchField"
                    Layout.fillWidth: true
                    placeholderText: bar.placeholder
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                    font.pixelSize: Theme.fontBody
                    background: null
                    text: bar.controller ? bar.controller.searchText : ""
                    onActiveFocusChanged: {
                        if (activeFocus && bar.controller && !bar.controller.searchBarActive)
                            bar.controller.searchBarTextDidBeginEditing()
                    }
                    onTextEdited: bar.controller.searchBar(text)
                    onAccepted: {
                        bar.controller.searchBarSearchButtonClicked()
                        bar.leave()
                    }
                }
            }
        }
        AppButton {
            objectName: "searchCancel"
            visible: !!bar.controller && bar.controller.searchBarActive
            text: qsTrId("ORDERLISTVIEW_SEARCH_CANCEL")
            Layout.fillHeight: true
            onClicked: {
                bar.controller.searchBarCancelButtonClicked()
                bar.leave()
            }
        }
    }

    Connections {
        target: bar.controller
        function onSearchChanged() {
            if (!bar.controller.searchBarActive && field.activeFocus)
                bar.leave()
        }
    }
}
