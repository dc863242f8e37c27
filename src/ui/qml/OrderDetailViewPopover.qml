import QtQuick

// The delivery-address picker: the chosen customer's districts, then the
// addresses of the district touched; every change of the keyword searches.
CustomerPicker {
    id: view
    objectName: "shipToPicker"
    onEntryTouched: (index) => view.controller.entryClicked(index)
}
