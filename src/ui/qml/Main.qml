import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Material

// The one application window: the header bar (once logged in) and the current
// screen below it, chosen by the root screen controller.
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

    Loader {
        id: screenLoader
        anchors.fill: parent
        source: window.root.currentScreen ? "qrc:/qml/" + window.root.currentScreen + ".qml" : ""
    }

    Component.onCompleted: window.root.viewDidLoad()
}
