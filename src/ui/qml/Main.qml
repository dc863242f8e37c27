import QtQuick
import QtQuick.Controls

// The one application window: the current screen (faded in over 0.3 s when it
// changes), the overlay panel, and the dialogs on top of everything.
ApplicationWindow {
    id: window

    required property var root

    width: App.tablet ? 1024 : 375
    height: App.tablet ? 768 : 667
    minimumWidth: 320
    minimumHeight: 480
    visible: false
    title: App.displayName
    color: Theme.background

    // The Basic style drawn in our colours: it renders the same with and
    // without a GPU (screenshots and VNC use the software renderer, which
    // cannot draw the shadows of the Material style).
    palette.window: Theme.background
    palette.base: Theme.surface
    palette.text: Theme.text
    palette.windowText: Theme.text
    palette.button: "#e8ecf0"
    palette.buttonText: Theme.text
    palette.highlight: Theme.primary
    palette.highlightedText: Theme.textOnPrimary
    palette.placeholderText: Theme.textMuted
    font.pixelSize: Theme.fontBody

    // After login: the header bar across the top, the screen below it.
    HeaderBar {
        id: headerBar
        objectName: "headerBar"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        visible: window.root.header !== null
        header: window.root.header
        z: 5
    }

    ScreenHost {
        id: screenHost
        objectName: "screenHost"
        anchors.fill: parent
        anchors.topMargin: headerBar.visible ? headerBar.height : 0
        root: window.root
    }

    // The overlay panel: 80 % of the window, 10 % in from its top-left corner.
    Item {
        id: overlayLayer
        anchors.fill: parent
        visible: window.root.overlayScreen !== null
        z: 10

        // A touch beside the panel closes it.
        Rectangle {
            anchors.fill: parent
            color: "#66000000"
            MouseArea { anchors.fill: parent; onClicked: window.root.dismissOverlay() }
        }
        Loader {
            id: overlayLoader
            objectName: "overlayPanel"
            x: parent.width * 0.1
            y: parent.height * 0.1
            width: parent.width * 0.8
            height: parent.height * 0.8
            opacity: status === Loader.Ready ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 300 } }
            source: window.root.overlayScreen ? "qrc:/qml/" + window.root.overlayScreen.viewName + ".qml" : ""
            onLoaded: {
                item.controller = window.root.overlayScreen
                if (window.root.overlayScreen.viewDidLoad)
                    window.root.overlayScreen.viewDidLoad()
            }
        }
    }

    PhotoPicker {
        id: photoPicker
        objectName: "photoPicker"
        anchors.fill: parent
        z: 15
    }

    DialogHost {
        id: dialogHost
        objectName: "dialogHost"
        anchors.fill: parent
        z: 20
        screenArea: screenHost
    }

    onWidthChanged: window.root.setViewSize(width, height)
    onHeightChanged: window.root.setViewSize(width, height)
    Component.onCompleted: {
        window.root.setViewSize(width, height)
        window.root.viewDidLoad()
    }
}
