import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs

// What the barcode scanner (Scanner, QmlBarcodeScanner) shows: while a camera
// scan runs, the camera's picture over the screen with an aiming frame and a
// cancel button; where there is no camera, a file dialog for a picture of a
// barcode.
Item {
    id: scannerLayer

    property int fileRequestId: 0

    visible: Scanner.scanning

    Rectangle {
        anchors.fill: parent
        color: "black"
        MouseArea { anchors.fill: parent } // nothing beneath takes touches

        Loader {
            id: cameraLoader
            objectName: "barcodeCameraView"
            anchors.fill: parent
            active: Scanner.scanning && Scanner.cameraAvailable
            source: "BarcodeCameraView.qml"
        }
        Connections {
            target: cameraLoader.item
            function onFailed(message) { Scanner.cameraFailed(message) }
        }

        // Where the salesman holds the code.
        Rectangle {
            id: aim
            objectName: "barcodeAim"
            anchors.centerIn: parent
            width: Math.min(parent.width * 0.8, 560)
            height: Math.min(width * 0.5, parent.height * 0.5)
            color: "transparent"
            border.color: Theme.accent
            border.width: 3
            radius: 12
            Rectangle {
                anchors.verticalCenter: parent.verticalCenter
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 16
                height: 2
                color: "#e74c3c"
                opacity: 0.8
            }
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: aim.top
            anchors.bottomMargin: 20
            width: parent.width - 40
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTrId("ITEMLISTVIEW_BARCODESCANNER_HINT")
            color: "white"
            font.pixelSize: Theme.fontBody
        }
        AppButton {
            objectName: "barcodeCancel"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 24
            text: qsTrId("ITEMLISTVIEW_ACTIONSHEET_CANCEL")
            onClicked: Scanner.cancel()
        }
    }

    // ---- a picture of a barcode, where there is no camera

    Connections {
        target: Scanner
        function onFileRequested(id) {
            scannerLayer.closeFileDialog()
            scannerLayer.fileRequestId = id
            fileDialogLoader.active = true
        }
        function onFileDismissRequested() { scannerLayer.closeFileDialog() }
    }
    function closeFileDialog() {
        // No answer from here on belongs to the request.
        scannerLayer.fileRequestId = 0
        // The dialog's window outlives its Loader unless it is closed first.
        if (fileDialogLoader.item)
            fileDialogLoader.item.close()
        fileDialogLoader.active = false
    }
    function answerFile(url) {
        var id = scannerLayer.fileRequestId
        scannerLayer.closeFileDialog()
        if (id !== 0)
            Scanner.fileChosen(id, url)
    }
    function answerCancelled() {
        var id = scannerLayer.fileRequestId
        scannerLayer.closeFileDialog()
        if (id !== 0)
            Scanner.fileCancelled(id)
    }
    Loader {
        id: fileDialogLoader
        active: false
        sourceComponent: FileDialog {
            title: qsTrId("ITEMLISTVIEW_BARCODESCANNER_CHOOSE_FILE")
            fileMode: FileDialog.OpenFile
            currentFolder: Scanner.picturesFolder()
            nameFilters: ["Pictures (*.jpg *.jpeg *.png *.bmp *.gif *.webp)"]
            onAccepted: scannerLayer.answerFile(selectedFile.toString())
            onRejected: scannerLayer.answerCancelled()
        }
        onLoaded: item.open()
    }
}
