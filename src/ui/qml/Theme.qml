pragma Singleton
import QtQuick

// Colours and type sizes shared by every view.
QtObject {
    readonly property color primary: "#1f4e79"
    readonly property color primaryDark: "#163a5a"
    readonly property color accent: "#f29f05"
    readonly property color background: "#f4f6f8"
    readonly property color surface: "#ffffff"
    readonly property color text: "#1d2329"
    readonly property color textMuted: "#66717c"
    readonly property color textOnPrimary: "#ffffff"
    readonly property int headerHeight: 80
    readonly property int fontSmall: 14
    readonly property int fontBody: 18
    readonly property int fontTitle: 26
}
