import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Stands where a screen will be: its name and a clear note that it is not
// built yet, with the application's version and footer.
Rectangle {
    id: screen

    property var controller

    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.primary }
        GradientStop { position: 1.0; color: Theme.primaryDark }
    }

    ColumnLayout {
        anchors.centerIn: parent
        spacing: 18
        width: Math.min(parent.width - 48, 460)

        Image {
            Layout.alignment: Qt.AlignHCenter
            source: "image://rq/logo.png"
            sourceSize.width: 160
            sourceSize.height: 160
            fillMode: Image.PreserveAspectFit
        }
        Label {
            objectName: "placeholderTitle"
            Layout.alignment: Qt.AlignHCenter
            text: screen.controller ? screen.controller.title : ""
            color: Theme.textOnPrimary
            font.pixelSize: 40
            font.bold: true
        }
        Label {
            objectName: "placeholderNote"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: screen.controller ? screen.controller.note : ""
            color: Theme.textOnPrimary
            opacity: 0.85
            font.pixelSize: Theme.fontBody
        }
    }

    Label {
        objectName: "versionLabel"
        anchors.right: parent.right
        anchors.bottom: footer.top
        anchors.margins: 12
        text: qsTrId("VERSION").arg(App.versionString)
        color: Theme.textOnPrimary
        font.pixelSize: Theme.fontSmall
    }
    Label {
        id: footer
        objectName: "footerLabel"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        text: qsTrId("COPYRIGHTS")
        color: Theme.textOnPrimary
        opacity: 0.7
        font.pixelSize: Theme.fontSmall
    }
}
