import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts

// The photo pickers asked for through Photos (QmlPhotoSource): a full-window
// camera viewfinder with a shutter and a cancel button, or a file dialog for
// pictures. The picture taken or picked is then shown whole, framed as it will
// be kept: "Use photo" hands it over, "Retake" (or, for a picture from the
// files, "Choose another") opens the same picker again, cancel closes it.
Item {
    id: picker

    property int requestId: 0
    property bool cameraOpen: false
    property bool reviewOpen: false
    // What "Retake" opens again: the camera, or the file dialog.
    property bool reviewFromCamera: false
    // The folder the file dialog showed when a picture was last chosen.
    property url lastFolder

    visible: cameraOpen || reviewOpen

    Connections {
        target: Photos
        function onCameraRequested(id) {
            picker.closeAll()
            picker.requestId = id
            picker.reviewFromCamera = true
            picker.cameraOpen = true
        }
        function onLibraryRequested(id) {
            picker.closeAll()
            picker.requestId = id
            picker.reviewFromCamera = false
            fileDialogLoader.active = true
        }
        function onReviewRequested(id) {
            picker.closeAll()
            picker.requestId = id
            picker.reviewOpen = true
        }
        function onDismissRequested() { picker.closeAll() }
    }

    function closeAll() {
        // No answer from here on belongs to the request.
        picker.requestId = 0
        picker.cameraOpen = false
        picker.reviewOpen = false
        // The dialog's window outlives its Loader unless it is closed first.
        if (fileDialogLoader.item)
            fileDialogLoader.item.close()
        fileDialogLoader.active = false
    }
    // The picture goes to review; the request stays open until the salesman
    // has chosen.
    function answerFile(url) {
        var id = picker.requestId
        picker.closeAll()
        picker.requestId = id
        if (id !== 0)
            Photos.fileChosen(id, url)
    }
    function answerCancelled() {
        var id = picker.requestId
        picker.closeAll()
        if (id !== 0)
            Photos.cancelled(id)
    }

    // ---- camera (built only while it is open)

    Rectangle {
        anchors.fill: parent
        visible: picker.cameraOpen
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

    // ---- the picture, before it counts

    Rectangle {
        objectName: "photoReview"
        anchors.fill: parent
        visible: picker.reviewOpen
        color: "black"
        MouseArea { anchors.fill: parent }

        Image {
            objectName: "photoReviewImage"
            anchors.fill: parent
            anchors.margins: 16
            anchors.bottomMargin: reviewButtons.height + 40
            fillMode: Image.PreserveAspectFit
            cache: false
            sourceSize.width: width
            sourceSize.height: height
            source: picker.reviewOpen ? Photos.reviewSource : ""
        }
        // Side by side where they fit, one under the other on a phone.
        GridLayout {
            id: reviewButtons
            readonly property bool narrow: parent.width < 480
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 24
            width: narrow ? parent.width - 32 : implicitWidth
            columns: narrow ? 1 : 3
            rowSpacing: 10
            columnSpacing: 16
            AppButton {
                objectName: "photoReviewCancel"
                Layout.fillWidth: reviewButtons.narrow
                text: qsTrId("VIEWCONTROLLER_ACTIONSHEET_CANCEL")
                onClicked: picker.answerCancelled()
            }
            AppButton {
                objectName: "photoRetake"
                Layout.fillWidth: reviewButtons.narrow
                text: picker.reviewFromCamera ? qsTrId("PHOTOPICKER_RETAKE") : qsTrId("PHOTOPICKER_CHOOSE_ANOTHER")
                onClicked: Photos.retake(picker.requestId)
            }
            AppButton {
                objectName: "photoUse"
                Layout.fillWidth: reviewButtons.narrow
                primary: true
                text: qsTrId("PHOTOPICKER_USE_PHOTO")
                onClicked: {
                    var id = picker.requestId
                    picker.closeAll()
                    Photos.usePhoto(id)
                }
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
            // Where the last picture came from: "Choose another" usually
            // wants the shot beside it.
            currentFolder: picker.lastFolder.toString() !== "" ? picker.lastFolder : Photos.picturesFolder()
            nameFilters: ["Pictures (*.jpg *.jpeg *.png *.bmp *.gif *.webp)"]
            onAccepted: {
                picker.lastFolder = currentFolder
                picker.answerFile(selectedFile.toString())
            }
            onRejected: picker.answerCancelled()
        }
        onLoaded: item.open()
    }
}
