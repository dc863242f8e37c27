import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs

// The photo pickers asked for through Photos (QmlPhotoSource): a full-window
// camera viewfinder with a shutter and a cancel button, or a file dialog for
// pictures. Each answers once: the file of the picture, or cancelled.
Item {
    id: picker

    property int requestId: 0
    property bool cameraOpen: false

    visible: cameraOpen

    Connections {
        target: Photos
        function onCameraRequested(id) {
            picker.closeAll()
            picker.requestId = id
            picker.cameraOpen = true
        }
        function onLibraryRequested(id) {
            picker.closeAll()
            picker.requestId = id
            fileDialogLoader.active = true
        }
        function onDismissRequested() { picker.closeAll() }
    }

    function closeAll() {
        picker.cameraOpen = false
        fileDialogLoader.active = false
        picker.requestId = 0
    }
    function answerFile(url) {
        var id = picker.requestId
        picker.closeAll()
        Photos.fileChosen(id, url)
    }
    function answerCancelled() {
        var id = picker.requestId
        picker.closeAll()
        Photos.cancelled(id)
    }

    // ---- camera (built only while it is open)

    Rectangle {
        anchors.fill: parent
        color: "black"
        MouseArea { anchors.fill: parent } // nothing beneath takes touches

        Loader {
            id: cameraLoader
            objectName: "cameraView"
            anchors.fill: parent
            active: picker.cameraOpen
            source: "CameraView.qml"
            onLoaded: item.captureLocation = Photos.captureLocation()
        }
        Connections {
            target: cameraLoader.item
            function onCaptured(path) { picker.answerFile(path) }
            function onFailed(message) { console.warn("Camera:", message); picker.answerCancelled() }
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 24
            spacing: 24
            AppButton {
                objectName: "cameraCancel"
                text: qsTrId("VIEWCONTROLLER_ACTIONSHEET_CANCEL")
                onClicked: picker.answerCancelled()
            }
            AppButton {
                objectName: "cameraShutter"
                primary: true
                text: "Take photo"
                enabled: cameraLoader.item !== null && cameraLoader.item.ready
                onClicked: cameraLoader.item.capture()
            }
        }
    }

    // ---- pictures from files

    Loader {
        id: fileDialogLoader
        active: false
        sourceComponent: FileDialog {
            title: "Choose a picture"
            fileMode: FileDialog.OpenFile
            currentFolder: Photos.picturesFolder()
            nameFilters: ["Pictures (*.jpg *.jpeg *.png *.bmp *.gif *.webp)"]
            onAccepted: picker.answerFile(selectedFile.toString())
            onRejected: picker.answerCancelled()
        }
        onLoaded: item.open()
    }
}
