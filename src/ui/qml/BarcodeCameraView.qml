import QtQuick
import QtMultimedia

// The camera's picture, filling the area (cropped as needed), with its frames
// handed to the barcode scanner. Loaded only while a scan runs, so the camera
// runs only then.
Item {
    id: view

    signal failed(string message)

    CaptureSession {
        camera: Camera {
            id: camera
            active: true
            onErrorOccurred: (error, errorString) => view.failed(errorString)
        }
        videoOutput: output
    }
    VideoOutput {
        id: output
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectCrop
    }
    Component.onCompleted: Scanner.watch(output.videoSink)
}
