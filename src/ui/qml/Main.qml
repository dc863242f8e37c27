import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

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

    Material.theme: Material.Light
    Material.primary: Theme.primary
    Material.accent: Theme.accent

    ScreenHost {
        id: screenHost
        objectName: "screenHost"
        anchors.fill: parent
        root: window.root
    }

    // The overlay panel: 80 % of the window, 10 % in from its top-left corner.
    Item {
        id: overlayLayer
        anchors.fill: parent
        visible: window.root.overlayScreen !== null
        z: 10

        Rectangle {
            anchors.fill: parent
            color: "#66000000"
            MouseArea { anchors.fill: parent }
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

    DialogHost {
        id: dialogHost
        objectName: "dialogHost"
        anchors.fill: parent
        z: 20
        screenArea: screenHost
    }

    Component.onCompleted: window.root.viewDidLoad()
}
