import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The order editor: the header fields in the upper pane, the order's lines in
// the lower pane, and between them the toggle that gives one pane the larger
// share. Touching the customer or delivery field opens its picker; touching a
// line opens the quantity entry. An order that is no longer a draft is shown
// read-only.
Rectangle {
    id: screen
    objectName: "orderDetailView"

    property var controller
    color: Theme.background

    readonly property bool compact: width < 600
    readonly property bool readOnly: screen.controller ? screen.controller.readOnly : true
    readonly property string fieldFont: "Avenir Next Condensed"
    readonly property real toggleHeight: 48
    readonly property real headerShare: screen.controller && screen.controller.headerExpanded ? 0.7 : 0.3

    // ---- pieces of the form

    // A caption over a value box; `active` boxes take touches.
    component FieldBox: ColumnLayout {
        id: box
        property string caption
        property string text
        property string placeholder
        property bool active: false
        property bool dimmed: false
        property alias valueItem: valueBox
        property int lines: 1
        signal touched()
        spacing: 4
        Layout.fillWidth: true

        Label {
            text: box.caption
            color: Theme.textMuted
            font.pixelSize: Theme.fontSmall
            visible: text.length > 0
        }
        Rectangle {
            id: valueBox
            Layout.fillWidth: true
            Layout.preferredHeight: box.lines > 1 ? Math.max(48, valueLabel.implicitHeight + 20) : 48
            radius: 8
            color: box.dimmed ? "#eef1f4" : Theme.surface
            border.color: box.active ? Theme.primary : "#d5dce3"
            border.width: box.active ? 2 : 1
            Label {
                id: valueLabel
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: box.active ? 36 : 12
                verticalAlignment: Text.AlignVCenter
                text: box.text.length > 0 ? box.text : box.placeholder
                color: box.text.length > 0 ? (box.dimmed ? Theme.textMuted : Theme.text) : "#9aa5b1"
                font.family: screen.fieldFont
                font.pixelSize: Theme.fontBody + 2
                elide: box.lines > 1 ? Text.ElideNone : Text.ElideRight
                wrapMode: box.lines > 1 ? Text.WordWrap : Text.NoWrap
                maximumLineCount: box.lines
            }
            Image {
                visible: box.active
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                source: "image://rq/btn_putdown.png"
                sourceSize.width: 22
                sourceSize.height: 22
            }
            // The transparent button over the field.
            MouseArea {
                anchors.fill: parent
                enabled: box.active
                onClicked: box.touched()
            }
        }
    }

    // A single-column wheel over one of the fixed choice lists.
    component ChoiceWheel: ColumnLayout {
        id: choice
        property string caption
        property var choices: []
        property int row: 0
        property int picker: 0
        property bool active: true
        property alias wheel: tumbler
        spacing: 4
        Layout.fillWidth: true

        Label {
            text: choice.caption
            color: Theme.textMuted
            font.pixelSize: Theme.fontSmall
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 120
            radius: 8
            color: choice.active ? Theme.surface : "#eef1f4"
            border.color: "#d5dce3"
            Rectangle {
                anchors.verticalCenter: parent.verticalCenter
                x: 6
                width: parent.width - 12
                height: 40
                radius: 6
                color: choice.active ? "#dbe6f1" : "#e3e7eb"
            }
            Tumbler {
                id: tumbler
                anchors.fill: parent
                visibleItemCount: 3
                wrap: false
                enabled: choice.active
                model: choice.choices
                delegate: Label {
                    required property var modelData
                    required property int index
                    text: modelData
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    font.family: screen.fieldFont
                    font.pixelSize: screen.compact ? 20 : 22
                    elide: Text.ElideRight
                    color: choice.active ? Theme.text : Theme.textMuted
                    opacity: 1.0 - Math.abs(Tumbler.displacement) / 2
                }
                // A row is picked when the wheel comes to rest.
                onMovingChanged: if (!moving && screen.controller) screen.controller.didSelectRow(choice.picker, currentIndex)
            }
        }
        function show() { tumbler.currentIndex = choice.row }
        onRowChanged: show()
        Component.onCompleted: show()
    }

    // ---- the header pane

    Flickable {
        id: headerPane
        objectName: "headerPane"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: Math.round((screen.height - screen.toggleHeight) * screen.headerShare)
        Behavior on height { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
        clip: true
        contentWidth: width
        contentHeight: form.implicitHeight + 32
        boundsBehavior: Flickable.StopAtBounds
        ScrollIndicator.vertical: ScrollIndicator {}

        GridLayout {
            id: form
            x: screen.compact ? 12 : 20
            y: 16
            width: headerPane.width - 2 * x
            columns: screen.compact ? 1 : 2
            columnSpacing: 24
            rowSpacing: 12

            // -- left column: the number and the customers
            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: 1
                spacing: 12

                RowLayout {
                    Layout.fillWidth: true
                    visible: screen.readOnly
                    spacing: 8
                    Image { source: "image://rq/icon_lock.png"; sourceSize.width: 20; sourceSize.height: 20 }
                    Label {
                        objectName: "readOnlyNote"
                        Layout.fillWidth: true
                        text: qsTrId("ORDERDETAILVIEW_READ_ONLY")
                        color: Theme.textMuted
                        font.pixelSize: Theme.fontSmall + 1
                        wrapMode: Text.WordWrap
                    }
                }

                // The purchase order number: filled by the program only. It
                // flashes red when another order holds it.
                Item {
                    id: numberArea
                    Layout.fillWidth: true
                    implicitHeight: numberBox.implicitHeight
                    Rectangle {
                        id: numberFlash
                        objectName: "purchaseOrderNoFlash"
                        anchors.fill: parent
                        anchors.margins: -4
                        radius: 10
                        color: "transparent"
                    }
                    FieldBox {
                        id: numberBox
                        objectName: "purchaseOrderNoField"
                        anchors.left: parent.left
                        anchors.right: parent.right
                        caption: qsTrId("ORDERDETAILVIEW_PURCHASE_ORDER_NO")
                        placeholder: qsTrId("ORDERDETAILVIEW_PURCHASE_ORDER_NO")
                        text: screen.controller ? screen.controller.purchaseOrderNo : ""
                        dimmed: true
                        activeFocusOnTab: true
                    }
                    SequentialAnimation {
                        id: flash
                        ColorAnimation { target: numberFlash; property: "color"; to: "#e74c3c"; duration: 0 }
                        ColorAnimation { target: numberFlash; property: "color"; to: "transparent"; duration: 300 }
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    FieldBox {
                        objectName: "soldToCodeField"
                        Layout.preferredWidth: 1
                        caption: qsTrId("ORDERDETAILVIEW_SHIP_TO_NAME")
                        placeholder: qsTrId("ORDERDETAILVIEW_SHIP_TO_NAME")
                        text: screen.controller ? screen.controller.soldToCode : ""
                        active: screen.controller ? screen.controller.soldToPickerEnabled : false
                        dimmed: screen.readOnly
                        onTouched: screen.controller.billtopop()
                    }
                    Label {
                        objectName: "soldToNameLabel"
                        Layout.preferredWidth: 1
                        Layout.fillWidth: true
                        Layout.alignment: Qt.AlignBottom
                        Layout.bottomMargin: 12
                        text: screen.controller ? screen.controller.soldToName : ""
                        font.family: screen.fieldFont
                        font.pixelSize: Theme.fontBody + 2
                        font.bold: true
                        elide: Text.ElideRight
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    FieldBox {
                        objectName: "deliveryToCodeField"
                        Layout.preferredWidth: 1
                        caption: qsTrId("ORDERDETAILVIEW_DELIVERY_TO_NAME")
                        placeholder: "Delivery-to name"
                        text: screen.controller ? screen.controller.deliveryToCode : ""
                        active: !screen.readOnly
                        dimmed: screen.readOnly
                        onTouched: screen.controller.deliverytopop()
                    }
                    Label {
                        objectName: "deliveryToDescriptionLabel"
                        Layout.preferredWidth: 1
                        Layout.fillWidth: true
                        Layout.alignment: Qt.AlignBottom
                        Layout.bottomMargin: 12
                        text: screen.controller ? screen.controller.deliveryToDescription : ""
                        font.family: screen.fieldFont
                        font.pixelSize: Theme.fontBody + 2
                        font.bold: true
                        elide: Text.ElideRight
                    }
                }

                FieldBox {
                    objectName: "addressLabel"
                    caption: qsTrId("ORDERDETAILVIEW_ADDRESS")
                    placeholder: qsTrId("ORDERDETAILVIEW_ADDRESS")
                    text: screen.controller ? screen.controller.address : ""
                    dimmed: true
                    lines: 3
                }
                FieldBox {
                    objectName: "deliverAddressField"
                    caption: qsTrId("ORDERDETAILVIEW_DELIVERY_ADDRESS")
                    text: screen.controller ? screen.controller.deliverAddress : ""
                    dimmed: true
                    lines: 3
                }
            }

            // -- right column: dates, choices, remark and photos
            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: 1
                spacing: 12

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    FieldBox {
                        objectName: "orderDateField"
                        Layout.preferredWidth: 1
                        caption: qsTrId("ORDERDETAILVIEW_ORDER_DATE")
                        placeholder: qsTrId("ORDERDETAILVIEW_DELIVERY_DATE")
                        text: screen.controller ? screen.controller.orderDate : ""
                        dimmed: true
                    }
                    FieldBox {
                        id: deliveryDateField
                        objectName: "deliveryDateField"
                        Layout.preferredWidth: 1
                        caption: qsTrId("ORDERDETAILVIEW_DELIVERY_DATE")
                        placeholder: qsTrId("ORDERDETAILVIEW_DELIVERY_DATE")
                        text: screen.controller ? screen.controller.deliveryDate : ""
                        active: !screen.readOnly
                        dimmed: screen.readOnly
                        onTouched: datePopup.open()
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    ChoiceWheel {
                        objectName: "orderTypePicker"
                        Layout.preferredWidth: 5
                        caption: qsTrId("ORDERDETAILVIEW_ORDER_TYPE")
                        choices: screen.controller ? screen.controller.orderTypes : []
                        row: screen.controller ? screen.controller.orderTypeRow : 0
                        picker: 1
                        active: screen.controller ? screen.controller.orderTypeEnabled : false
                    }
                    ChoiceWheel {
                        objectName: "vdTypePicker"
                        Layout.preferredWidth: 3
                        caption: qsTrId("ORDERDETAILVIEW_VD_TYPE")
                        choices: screen.controller ? screen.controller.vdTypes : []
                        row: screen.controller ? screen.controller.vdTypeRow : 0
                        picker: 2
                        active: !screen.readOnly
                    }
                    ChoiceWheel {
                        objectName: "paymentTypePicker"
                        Layout.preferredWidth: 4
                        caption: qsTrId("ORDERDETAILVIEW_PAYMENT_TERMS")
                        choices: screen.controller ? screen.controller.paymentTypes : []
                        row: screen.controller ? screen.controller.paymentTypeRow : 0
                        picker: 3
                        active: !screen.readOnly
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    AppButton {
                        objectName: "remarkButton"
                        text: "Remark"
                        onClicked: screen.controller.TakeRemark()
                    }
                    Label {
                        objectName: "remarkLabel"
                        Layout.fillWidth: true
                        text: screen.controller ? screen.controller.remark : ""
                        color: Theme.text
                        font.family: screen.fieldFont
                        font.pixelSize: Theme.fontBody
                        wrapMode: Text.WrapAnywhere
                        maximumLineCount: 2
                        elide: Text.ElideRight
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 12
                    AppButton {
                        objectName: "takePhotoButton"
                        text: "Take Photo"
                        enabled: !screen.readOnly
                        onClicked: screen.controller.TakePhoto()
                    }
                    AppButton {
                        objectName: "photoCountButton"
                        implicitWidth: 72
                        primary: true
                        text: screen.controller ? screen.controller.photoCount : "0"
                        onClicked: screen.controller.PhotoList()
                    }
                    Label {
                        Layout.fillWidth: true
                        text: qsTrId("ORDERDETAILVIEW_PHOTOS")
                        color: Theme.textMuted
                        font.pixelSize: Theme.fontSmall + 1
                        elide: Text.ElideRight
                    }
                }
            }
        }
    }

    // ---- the layout toggle

    ItemDelegate {
        id: toggle
        objectName: "layoutToggle"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: headerPane.bottom
        height: screen.toggleHeight
        padding: 0
        background: Rectangle {
            color: toggle.down ? "#d5dce3" : "#e4e9ee"
            Rectangle { anchors.top: parent.top; width: parent.width; height: 1; color: "#d0d7de" }
            Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#d0d7de" }
        }
        contentItem: Item {
            Label {
                anchors.left: parent.left
                anchors.leftMargin: 20
                anchors.verticalCenter: parent.verticalCenter
                text: qsTrId("ORDERDETAILVIEW_LINES").arg(lines.count)
                color: Theme.primary
                font.pixelSize: Theme.fontBody
                font.bold: true
            }
            Image {
                objectName: "toggleArrow"
                anchors.centerIn: parent
                source: "image://rq/btn_putdown.png"
                sourceSize.width: 30
                sourceSize.height: 30
                rotation: screen.controller ? screen.controller.toggleRotation : 0
                Behavior on rotation { NumberAnimation { duration: 300 } }
            }
        }
        onClicked: screen.controller.toggleLayout()
    }

    // ---- the lines

    ListView {
        id: lines
        objectName: "linesList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: toggle.bottom
        anchors.bottom: parent.bottom
        clip: true
        model: screen.controller ? screen.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: ItemDelegate {
            id: row
            required property int index
            required property string rowNumber
            required property string picture
            required property string itemCode
            required property string itemDescription
            required property string quantity
            required property string unit

            objectName: "lineRow" + index
            width: lines.width
            height: 100
            padding: 0
            enabled: !screen.readOnly
            background: Rectangle {
                color: row.down ? "#f0f3f6" : Theme.surface
                Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: "#e1e6eb" }
            }
            contentItem: Item {
              RowLayout {
                anchors.fill: parent
                anchors.leftMargin: screen.compact ? 8 : 16
                anchors.rightMargin: screen.compact ? 10 : 20
                spacing: screen.compact ? 8 : 14
                Label {
                    objectName: "rowNumber"
                    Layout.preferredWidth: screen.compact ? 22 : 32
                    horizontalAlignment: Text.AlignHCenter
                    text: row.rowNumber
                    color: Theme.textMuted
                    font.pixelSize: Theme.fontBody
                }
                Image {
                    objectName: "linePicture"
                    Layout.preferredWidth: screen.compact ? 56 : 80
                    Layout.preferredHeight: screen.compact ? 56 : 80
                    source: row.picture
                    sourceSize.width: 160
                    sourceSize.height: 160
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.minimumWidth: 0
                    spacing: 4
                    Label {
                        objectName: "itemCode"
                        Layout.fillWidth: true
                        text: row.itemCode
                        font.family: screen.fieldFont
                        font.pixelSize: screen.compact ? Theme.fontBody - 2 : Theme.fontBody + 2
                        font.bold: true
                        color: Theme.text
                        elide: Text.ElideRight
                    }
                    Label {
                        objectName: "itemDescription"
                        Layout.fillWidth: true
                        text: row.itemDescription
                        font.pixelSize: screen.compact ? Theme.fontSmall : Theme.fontBody - 1
                        color: Theme.textMuted
                        elide: Text.ElideRight
                        maximumLineCount: 2
                        wrapMode: Text.WordWrap
                    }
                }
                Label {
                    text: "x"
                    color: Theme.textMuted
                    font.pixelSize: Theme.fontBody
                }
                Label {
                    objectName: "quantity"
                    text: row.quantity
                    font.pixelSize: screen.compact ? Theme.fontBody + 2 : Theme.fontTitle
                    font.bold: true
                    color: Theme.primary
                }
                Label {
                    objectName: "unit"
                    Layout.preferredWidth: screen.compact ? 30 : 44
                    text: row.unit
                    color: Theme.text
                    font.pixelSize: Theme.fontBody
                }
              }
            }
            onClicked: screen.controller.rowSelected(index)
        }

        Label {
            objectName: "noLinesLabel"
            anchors.centerIn: parent
            width: parent.width - 48
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            visible: lines.count === 0
            text: qsTrId("ORDERDETAILVIEW_NO_LINES")
            color: Theme.textMuted
            font.pixelSize: Theme.fontBody
        }
    }

    // ---- the delivery-date picker

    Popup {
        id: datePopup
        objectName: "deliveryDatePopup"
        modal: true
        width: Math.min(screen.width - 32, 420)
        x: (screen.width - width) / 2
        y: Math.max(16, (screen.height - height) / 2)
        padding: 16
        background: Rectangle { radius: 12; color: Theme.surface; border.color: "#c9d1d9" }

        contentItem: ColumnLayout {
            spacing: 12
            RowLayout {
                Layout.fillWidth: true
                Label {
                    Layout.fillWidth: true
                    text: qsTrId("ORDERDETAILVIEW_DELIVERY_DATE")
                    font.pixelSize: Theme.fontBody
                    font.bold: true
                }
                // The toolbar's one button ends the editing.
                AppButton {
                    objectName: "dateDoneButton"
                    primary: true
                    text: "Done"
                    onClicked: datePopup.close()
                }
            }
            DatePicker {
                objectName: "deliveryDatePicker"
                Layout.fillWidth: true
                Layout.preferredHeight: 200
                day: screen.controller ? screen.controller.deliveryPickerDay : ""
                onPicked: (year, month, day) => screen.controller.setDeliveryDay(year, month, day)
            }
        }
    }

    Connections {
        target: screen.controller
        function onPurchaseOrderNoTaken() {
            numberBox.valueItem.forceActiveFocus()
            flash.restart()
        }
    }
}
