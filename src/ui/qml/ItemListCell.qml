import QtQuick
import QtQuick.Controls

// One cell of the item catalogue: the picture on a grey square, the SKU code
// and the description below it (centred, wrapping, shrinking to fit). Reads
// the model's roles of its cell.
Item {
    id: cell

    required property int index
    required property string skuCode
    required property string description
    required property string picture
    required property bool hasPicture

    signal clicked()

    objectName: "itemCell" + index
    // The picture square and 60 points for the two labels.
    implicitHeight: width + 60

    Rectangle {
        id: pictureArea
        objectName: "pictureArea"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: width
        color: "#d9dde1"
        Image {
            id: image
            objectName: "picture"
            anchors.fill: parent
            anchors.margins: cell.hasPicture ? 0 : parent.width * 0.2
            source: cell.picture
            sourceSize.width: Math.ceil(width * Screen.devicePixelRatio)
            sourceSize.height: Math.ceil(height * Screen.devicePixelRatio)
            fillMode: Image.PreserveAspectFit
            cache: false
            opacity: cell.hasPicture ? 1 : 0.5
        }
        Rectangle {
            anchors.fill: parent
            color: "black"
            opacity: touch.pressed ? 0.15 : 0
        }
    }
    Label {
        id: skuLabel
        objectName: "skuCodeLabel"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: pictureArea.bottom
        height: 26
        text: cell.skuCode
        font.pixelSize: 20
        font.bold: true
        color: Theme.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.Wrap
        fontSizeMode: Text.Fit
        minimumPixelSize: 10
    }
    Label {
        objectName: "descriptionLabel"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: skuLabel.bottom
        anchors.bottom: parent.bottom
        anchors.leftMargin: 4
        anchors.rightMargin: 4
        text: cell.description
        font.pixelSize: 20
        color: Theme.textMuted
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignTop
        wrapMode: Text.Wrap
        fontSizeMode: Text.Fit
        minimumPixelSize: 10
        elide: Text.ElideRight
    }
    MouseArea {
        id: touch
        anchors.fill: parent
        onClicked: cell.clicked()
    }
}
