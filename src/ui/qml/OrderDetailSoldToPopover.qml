import QtQuick

// The sold-to customer picker: the route customers, searched on Return.
CustomerPicker {
    id: view
    objectName: "soldToPicker"
    onReturnPressed: view.controller.textFieldShouldReturn()
    onEntryTouched: (index) => view.controller.customerSoldToSelected(index)
}
