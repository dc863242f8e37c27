import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The login screen. While a login is under way a dark overlay with a spinner
// covers it and takes every touch.
Rectangle {
    id: screen

    property var controller

    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.primary }
        GradientStop { position: 1.0; color: Theme.primaryDark }
    }

    function applyFocus() {
        if (!screen.controller)
            return
        if (screen.controller.focusField === "password")
            passwordField.forceActiveFocus()
        else if (screen.controller.focusField === "username")
            usernameField.forceActiveFocus()
        else
            screen.forceActiveFocus()
    }

    Connections {
        target: screen.controller
        function onFocusFieldChanged() { screen.applyFocus() }
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(parent.width - 48, 420)
        spacing: 16

        Image {
            Layout.alignment: Qt.AlignHCenter
            source: "image://rq/logo.png"
            sourceSize.width: 128
            sourceSize.height: 128
        }
        Label {
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 16
            text: App.displayName
            color: Theme.textOnPrimary
            font.pixelSize: 36
            font.bold: true
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 56
            radius: 8
            color: Theme.surface
            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                spacing: 10
                Image { source: "image://rq/icon_user.png"; sourceSize.width: 28; sourceSize.height: 28 }
                TextField {
                    id: usernameField
                    objectName: "usernameField"
                    Layout.fillWidth: true
                    placeholderText: qsTrId("LOGINVIEW_USERNAME")
                    text: screen.controller ? screen.controller.username : ""
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhPreferLowercase
                    font.pixelSize: Theme.fontBody
                    background: null
                    onTextEdited: screen.controller.username = text
                    onAccepted: passwordField.forceActiveFocus()
                }
            }
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 56
            radius: 8
            color: Theme.surface
            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                spacing: 10
                Image { source: "image://rq/icon_lock.png"; sourceSize.width: 28; sourceSize.height: 28 }
                TextField {
                    id: passwordField
                    objectName: "passwordField"
                    Layout.fillWidth: true
                    placeholderText: qsTrId("LOGINVIEW_PASSWORD")
                    text: screen.controller ? screen.controller.password : ""
                    echoMode: TextInput.Password
                    inputMethodHints: Qt.ImhSensitiveData | Qt.ImhNoPredictiveText
                    font.pixelSize: Theme.fontBody
                    background: null
                    onTextEdited: screen.controller.password = text
                    onAccepted: screen.controller.buttonClicked(1)
                }
            }
        }
        AppButton {
            objectName: "loginButton"
            Layout.fillWidth: true
            Layout.preferredHeight: 56
            Layout.topMargin: 8
            primary: true
            text: "Log in"
            font.bold: true
            onClicked: screen.controller.buttonClicked(1)
        }
    }

    Label {
        objectName: "versionLabel"
        anchors.right: parent.right
        anchors.bottom: footer.top
        anchors.margins: 12
        text: screen.controller ? screen.controller.versionText : ""
        color: Theme.textOnPrimary
        font.pixelSize: Theme.fontSmall
    }
    Label {
        id: footer
        objectName: "footerLabel"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        text: screen.controller ? screen.controller.footerText : ""
        color: Theme.textOnPrimary
        opacity: 0.7
        font.pixelSize: Theme.fontSmall
    }

    // The loading overlay: black at half opacity, a spinner, fades in and out
    // over 0.3 s, and blocks every touch beneath it.
    Rectangle {
        objectName: "loadingOverlay"
        anchors.fill: parent
        color: "#80000000"
        opacity: screen.controller && screen.controller.loading ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 300 } }
        MouseArea { anchors.fill: parent; hoverEnabled: true }
        BusyIndicator {
            id: loadingSpinner
            objectName: "loadingSpinner"
            anchors.centerIn: parent
            running: parent.visible
            palette.dark: "white"
            scale: 1.5
        }
        Rectangle {
            anchors.top: loadingSpinner.bottom
            anchors.topMargin: 28
            anchors.horizontalCenter: parent.horizontalCenter
            width: loadingProgress.implicitWidth + 32
            height: loadingProgress.implicitHeight + 16
            radius: height / 2
            color: "#cc000000"
            visible: loadingProgress.text !== ""
            Label {
                id: loadingProgress
                objectName: "loadingProgress"
                anchors.centerIn: parent
                text: screen.controller ? screen.controller.progressText : ""
                color: "white"
                font.pixelSize: Theme.fontBody
            }
        }
    }

    Component.onCompleted: Qt.callLater(screen.applyFocus)
}
