import QtQuick
import QtQuick.Controls

// A day picker made of three wheels: day, month, year. `day` is "yyyy-MM-dd";
// turning a wheel calls picked(year, month, day) with a valid day (the day
// wheel never offers more days than the month has).
Rectangle {
    id: picker

    property string day: ""
    signal picked(int year, int month, int day)

    readonly property int firstYear: new Date().getFullYear() - 10
    readonly property int yearCount: 13
    readonly property var monthNames: ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

    implicitWidth: 360
    implicitHeight: 180
    radius: 8
    color: "#f1f4f7"

    function daysIn(year, month) { return new Date(year, month, 0).getDate() }
    function parts() {
        var p = picker.day.split("-")
        return p.length === 3 ? [parseInt(p[0]), parseInt(p[1]), parseInt(p[2])] : [picker.firstYear + 10, 1, 1]
    }
    function show() {
        var p = parts()
        yearWheel.currentIndex = Math.max(0, Math.min(picker.yearCount - 1, p[0] - picker.firstYear))
        monthWheel.currentIndex = p[1] - 1
        dayWheel.model = picker.daysIn(p[0], p[1])
        dayWheel.currentIndex = p[2] - 1
    }
    function report() {
        if (!dayWheel.ready)
            return
        var year = picker.firstYear + yearWheel.currentIndex
        var month = monthWheel.currentIndex + 1
        var days = picker.daysIn(year, month)
        if (dayWheel.model !== days)
            dayWheel.model = days
        var d = Math.min(dayWheel.currentIndex + 1, days)
        picker.picked(year, month, d)
    }
    onDayChanged: if (!dayWheel.moving && !monthWheel.moving && !yearWheel.moving) show()

    // The band of the chosen row.
    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - 16
        x: 8
        height: 40
        radius: 6
        color: "#dbe6f1"
    }

    component Wheel: Tumbler {
        id: wheel
        property bool ready: false
        visibleItemCount: 5
        height: picker.height
        delegate: Component {
            Label {
                required property var modelData
                required property int index
                text: wheel.formatter(modelData, index)
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: Theme.fontBody
                opacity: 1.0 - Math.abs(Tumbler.displacement) / (wheel.visibleItemCount / 2)
            }
        }
        property var formatter: function(value, index) { return String(value) }
        onCurrentIndexChanged: if (ready) picker.report()
    }

    Row {
        anchors.centerIn: parent
        spacing: 8
        Wheel {
            id: dayWheel
            objectName: "dayWheel"
            width: 70
            model: 31
            formatter: function(value, index) { return String(index + 1) }
        }
        Wheel {
            id: monthWheel
            objectName: "monthWheel"
            width: 90
            model: picker.monthNames
        }
        Wheel {
            id: yearWheel
            objectName: "yearWheel"
            width: 100
            model: picker.yearCount
            formatter: function(value, index) { return String(picker.firstYear + index) }
        }
    }

    Component.onCompleted: {
        show()
        dayWheel.ready = true
        monthWheel.ready = true
        yearWheel.ready = true
    }
}
