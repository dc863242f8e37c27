import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Draws what controllers ask of Dialogs: alerts (one at a time, in order),
// action sheets, transient notices and popovers anchored at a named item of
// the current screen. Every answer goes back through Dialogs.answer().
Item {
    id: host

    property Item screenArea
    property var alertQueue: []
    property var currentAlert: null

    function findItem(item, name) {
        if (!item || !name)
            return null
        if (item.objectName === name)
            return item
        var children = item.children
        for (var i = 0; i < children.length; ++i) {
            var found = findItem(children[i], name)
            if (found)
                return found
        }
        return null
    }

    function nextAlert() {
        if (host.currentAlert !== null || host.alertQueue.length === 0)
            return
        host.currentAlert = host.alertQueue.shift()
        alertDialog.open()
    }

    Connections {
        target: Dialogs
        function onAlertRequested(id, title, message, buttons, fieldTexts) {
            host.alertQueue.push({ id: id, title: title, message: message, buttons: buttons, fields: fieldTexts })
            host.nextAlert()
        }
        function onActionSheetRequested(id, title, cancelTitle, buttons) {
            actionSheet.requestId = id
            actionSheet.sheetTitle = title
            actionSheet.cancelTitle = cancelTitle
            actionSheet.buttons = buttons
            actionSheet.answered = false
            actionSheet.open()
        }
        function onNoticeRequested(text) {
            notice.text = text
            notice.show()
        }
        function onPopoverRequested(controller, view, width, height, anchor) {
            popover.show(controller, view, width, height, anchor)
        }
        function onPopoverDismissRequested() {
            popover.closedByProgram = true
            popover.close()
        }
    }

    // ---- alert

    Dialog {
        id: alertDialog
        objectName: "alertDialog"
        modal: true
        anchors.centerIn: parent
        width: Math.min(host.width - 48, 440)
        title: host.currentAlert ? host.currentAlert.title : ""
        closePolicy: Popup.NoAutoClose
        padding: 20
        topPadding: 12
        background: Rectangle { radius: 12; color: Theme.surface }
        header: Label {
            text: alertDialog.title
            visible: text.length > 0
            padding: 20
            bottomPadding: 0
            font.bold: true
            font.pixelSize: Theme.fontBody + 2
            wrapMode: Text.WordWrap
        }

        contentItem: ColumnLayout {
            spacing: 12
            Label {
                objectName: "alertMessage"
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
                visible: text.length > 0
                text: host.currentAlert ? host.currentAlert.message : ""
                font.pixelSize: Theme.fontBody
            }
            Repeater {
                id: alertFields
                model: host.currentAlert ? host.currentAlert.fields : []
                TextField {
                    objectName: "alertField" + index
                    Layout.fillWidth: true
                    text: modelData
                    font.pixelSize: Theme.fontBody
                }
            }
            RowLayout {
                Layout.alignment: Qt.AlignRight
                spacing: 8
                Repeater {
                    model: host.currentAlert ? host.currentAlert.buttons : []
                    AppButton {
                        objectName: "alertButton" + index
                        text: modelData
                        primary: index === 0
                        onClicked: {
                            var texts = []
                            for (var i = 0; i < alertFields.count; ++i)
                                texts.push(alertFields.itemAt(i).text)
                            // Answer before closing: closing drops this button.
                            Dialogs.answer(host.currentAlert.id, index, modelData, texts)
                            alertDialog.close()
                        }
                    }
                }
            }
        }
        onClosed: {
            host.currentAlert = null
            Qt.callLater(host.nextAlert)
        }
    }

    // ---- action sheet

    Popup {
        id: actionSheet
        objectName: "actionSheet"
        modal: true
        property int requestId: 0
        property string sheetTitle: ""
        property string cancelTitle: ""
        property var buttons: []
        property bool answered: false

        width: Math.min(host.width - 32, 420)
        x: (host.width - width) / 2
        y: App.tablet ? (host.height - height) / 2 : host.height - height - 16
        padding: 12
        background: Rectangle { radius: 12; color: Theme.surface }

        function choose(index, title) {
            actionSheet.answered = true
            Dialogs.answer(actionSheet.requestId, index, title)
            actionSheet.close()
        }

        contentItem: ColumnLayout {
            spacing: 6
            Label {
                Layout.fillWidth: true
                visible: actionSheet.sheetTitle.length > 0
                text: actionSheet.sheetTitle
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                color: Theme.textMuted
                font.pixelSize: Theme.fontSmall + 2
            }
            Repeater {
                model: actionSheet.buttons
                AppButton {
                    objectName: "sheetButton" + index
                    Layout.fillWidth: true
                    text: modelData
                    onClicked: actionSheet.choose(index, modelData)
                }
            }
            AppButton {
                objectName: "sheetCancel"
                Layout.fillWidth: true
                Layout.topMargin: 6
                text: actionSheet.cancelTitle
                font.bold: true
                onClicked: actionSheet.choose(actionSheet.buttons.length, actionSheet.cancelTitle)
            }
        }
        onClosed: {
            if (!actionSheet.answered)
                Dialogs.answer(actionSheet.requestId, -1, "")
        }
    }

    // ---- transient notice

    Rectangle {
        id: notice
        objectName: "notice"
        property alias text: noticeLabel.text
        function show() { notice.opacity = 1; noticeTimer.restart() }

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 48
        width: Math.min(noticeLabel.implicitWidth + 48, host.width - 32)
        height: noticeLabel.implicitHeight + 24
        radius: height / 2
        color: "#e6222a31"
        opacity: 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 250 } }

        Label {
            id: noticeLabel
            anchors.centerIn: parent
            width: parent.width - 48
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            color: "white"
            font.pixelSize: Theme.fontBody
        }
        Timer { id: noticeTimer; interval: 2500; onTriggered: notice.opacity = 0 }
    }

    // ---- popover

    Popup {
        id: popover
        objectName: "popover"
        modal: true
        padding: 0
        background: Rectangle { radius: 10; color: Theme.surface; border.color: "#c9d1d9" }
        property bool closedByProgram: false
        property var controller: null
        property string view: ""

        function show(controller, view, w, h, anchorName) {
            popover.closedByProgram = true
            popover.close()
            popover.closedByProgram = false
            popover.width = Math.min(w, host.width - 16)
            popover.height = Math.min(h, host.height - 16)
            // Screens name their anchors; the header bar names its title.
            var anchor = host.findItem(host.screenArea, anchorName) || host.findItem(host.parent, anchorName)
            if (anchor) {
                var p = anchor.mapToItem(host, 0, anchor.height)
                popover.x = Math.max(8, Math.min(p.x + (anchor.width - popover.width) / 2, host.width - popover.width - 8))
                var below = p.y + 4
                popover.y = below + popover.height <= host.height - 8 ? below
                          : Math.max(8, p.y - anchor.height - popover.height - 4)
            } else {
                popover.x = (host.width - popover.width) / 2
                popover.y = (host.height - popover.height) / 2
            }
            popover.controller = controller
            popover.view = view
            popoverLoader.setSource("qrc:/qml/" + view + ".qml", { controller: controller })
            popover.open()
        }

        contentItem: Loader {
            id: popoverLoader
            objectName: "popoverContent"
            onLoaded: if (popover.controller && popover.controller.viewDidLoad) popover.controller.viewDidLoad()
        }
        onClosed: {
            popoverLoader.source = ""
            popover.controller = null
            if (!popover.closedByProgram)
                Dialogs.popoverClosedByUser()
            popover.closedByProgram = false
        }
    }
}
