import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The date filter panel: the first and the last day of creation, and
// "Confirm".
Pane {
    id: panel
    objectName: "orderListDatePicker"
    property var controller
    padding: 20
    background: Rectangle { color: Theme.surface; radius: 10 }

    ColumnLayout {
        anchors.fill: parent
        spacing: 10

        Label {
            text: qsTrId("ORDERLISTDATEPICKER_STARTDATE")
            font.pixelSize: Theme.fontBody
            font.bold: true
        }
        DatePicker {
            objectName: "startDatePicker"
            Layout.fillWidth: true
            Layout.preferredHeight: 190
            day: panel.controller ? panel.controller.startDay : ""
            onPicked: (year, month, day) => panel.controller.setStart(year, month, day)
        }
        Label {
            Layout.topMargin: 6
            text: qsTrId("ORDERLISTDATEPICKER_ENDDATE")
            font.pixelSize: Theme.fontBody
            font.bold: true
        }
        DatePicker {
            objectName: "endDatePicker"
            Layout.fillWidth: true
            Layout.preferredHeight: 190
            day: panel.controller ? panel.controller.endDay : ""
            onPicked: (year, month, day) => panel.controller.setEnd(year, month, day)
        }
        Item { Layout.fillHeight: true }
        AppButton {
            objectName: "confirmButton"
            Layout.fillWidth: true
            primary: true
            text: "Confirm"
            onClicked: panel.controller.confirm()
        }
    }
}
