import QtQuick
import QtMultimedia

// The camera's picture, filling the area, and one capture to a file. Loaded
// only while the camera picker is open, so the camera runs only then.
Item {
    id: view

    property string captureLocation: ""
    readonly property bool ready: imageCapture.readyForCapture

    signal captured(string path)
    signal failed(string message)

    function capture() { imageCapture.captureToFile(view.captureLocation) }

    CaptureSession {
        camera: Camera {
            id: camera
            active: true
            onErrorOccurred: (error, errorString) => view.failed(errorString)
        }
        imageCapture: ImageCapture {
            id: imageCapture
            onImageSaved: (requestId, path) => view.captured(path)
            onErrorOccurred: (requestId, error, message) => view.failed(message)
        }
        videoOutput: output
    }
    VideoOutput {
        id: output
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectCrop
    }
}
