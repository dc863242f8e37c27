import QtQuick

// Shows the root's current screen: builds its view with the controller, fades
// it in over the old one in 0.3 s, then drops the old view and tells the root,
// which releases the old controller.
Item {
    id: host

    required property var root
    property Item currentView: null
    property Item previousView: null

    function show(controller) {
        if (!controller)
            return
        var component = Qt.createComponent("qrc:/qml/" + controller.viewName + ".qml")
        if (component.status !== Component.Ready) {
            console.error("Cannot load the view of", controller.viewName, component.errorString())
            return
        }
        if (host.previousView) {
            host.previousView.destroy()
            host.previousView = null
        }
        var view = component.createObject(host, { controller: controller, opacity: 0 })
        if (!view) {
            console.error("Cannot create the view of", controller.viewName)
            return
        }
        view.anchors.fill = host
        host.previousView = host.currentView
        host.currentView = view
        fade.target = view
        fade.restart()
        controller.viewDidLoad()
    }

    NumberAnimation {
        id: fade
        property: "opacity"
        from: 0
        to: 1
        duration: 300
        onFinished: {
            if (host.previousView) {
                if (host.previousView.controller && host.previousView.controller.viewWillDisappear)
                    host.previousView.controller.viewWillDisappear()
                host.previousView.destroy()
                host.previousView = null
            }
            host.root.transitionFinished()
        }
    }

    Connections {
        target: host.root
        function onCurrentScreenChanged() { host.show(host.root.currentScreen) }
    }

    Component.onCompleted: if (root.currentScreen) show(root.currentScreen)
}
