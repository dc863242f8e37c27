<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>application</name>
    <message id="CFBundleDisplayName">
        <source>Field Book</source>
        <translation>Field Book</translation>
    </message>
    <message id="VERSION">
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message id="COPYRIGHTS">
        <source>Field Book · order taking for field sales</source>
        <translation>Field Book · order taking for field sales</translation>
    </message>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="ALERT">
        <source>Attention</source>
        <translation>Attention</translation>
    </message>
</context>
<context>
    <name>login</name>
    <message id="LOGINVIEW_USERNAME">
        <source>User name</source>
        <translation>User name</translation>
    </message>
    <message id="LOGINVIEW_PASSWORD">
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message id="APPMANAGER_WRONG_USERNAME">
        <source>The user name must be longer than three characters.</source>
        <translation>The user name must be longer than three characters.</translation>
    </message>
    <message id="APPMANAGER_WRONG_PASSWORD">
        <source>The password must be longer than three characters.</source>
        <translation>The password must be longer than three characters.</translation>
    </message>
    <message id="HTTP_SERVER_CERTIFICATE_UNTRUSTED">
        <source>The server's certificate is not trusted: %1</source>
        <translation>The server's certificate is not trusted: %1</translation>
    </message>
</context>
<context>
    <name>router</name>
    <message id="VIEWCONTROLLER_ACTIONSHEET_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_LOGOUT">
        <source>Log out of Field Book?</source>
        <translation>Log out of Field Book?</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_CONFIRM_LOGOUT">
        <source>Log out</source>
        <translation>Log out</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_EXITORDER">
        <source>Leave this order? Changes that were not saved are lost.</source>
        <translation>Leave this order? Changes that were not saved are lost.</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_CONFIRM_EXITORDER">
        <source>Leave without saving</source>
        <translation>Leave without saving</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER">
        <source>Delete the selected orders?</source>
        <translation>Delete the selected orders?</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_DELETEORDER">
        <source>Delete this order?</source>
        <translation>Delete this order?</translation>
    </message>
    <message id="VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>orderlist</name>
    <message id="ORDERLISTVIEW_HEADER">
        <source>All Orders</source>
        <translation>All Orders</translation>
    </message>
    <message id="ORDERLISTVIEW_HEADER_UPLOADED_ORDER">
        <source>Uploaded Orders</source>
        <translation>Uploaded Orders</translation>
    </message>
    <message id="ORDERLISTVIEW_HEADER_DRAFT_ORDER">
        <source>Draft Orders</source>
        <translation>Draft Orders</translation>
    </message>
    <message id="ORDERLISTVIEW_POPUPMENU_ALL_ORDER">
        <source>All orders</source>
        <translation>All orders</translation>
    </message>
    <message id="ORDERLISTVIEW_POPUPMENU_UPLOADED_ORDER">
        <source>Uploaded orders</source>
        <translation>Uploaded orders</translation>
    </message>
    <message id="ORDERLISTVIEW_POPUPMENU_DRAFT_ORDER">
        <source>Draft orders</source>
        <translation>Draft orders</translation>
    </message>
    <message id="ORDERLISTVIEW_ORDERBY_DATE">
        <source>Sort by date</source>
        <translation>Sort by date</translation>
    </message>
    <message id="ORDERLISTVIEW_ORDERBY_CUSTOMER">
        <source>Sort by customer</source>
        <translation>Sort by customer</translation>
    </message>
    <message id="ORDERLISTVIEW_FILTERBY_DATE">
        <source>Filter by date</source>
        <translation>Filter by date</translation>
    </message>
    <message id="ORDERLISTVIEW_FILTERBY_CUSTOMER">
        <source>Filter by customer</source>
        <translation>Filter by customer</translation>
    </message>
    <message id="ORDERLISTVIEW_PULL_TO_REFRESH">
        <source>Pull to refresh</source>
        <translation>Pull to refresh</translation>
    </message>
    <message id="ORDERLISTVIEW_SELECTMODE">
        <source>selected</source>
        <translation>selected</translation>
    </message>
    <message id="ORDERLISTVIEW_SELECTMODE_NOTSELECTED">
        <source>Select one or more orders first.</source>
        <translation>Select one or more orders first.</translation>
    </message>
    <message id="ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER">
        <source>Select Orders</source>
        <translation>Select Orders</translation>
    </message>
    <message id="ORDERLISTDATEPICKER_STARTDATE">
        <source>From</source>
        <translation>From</translation>
    </message>
    <message id="ORDERLISTDATEPICKER_ENDDATE">
        <source>To</source>
        <translation>To</translation>
    </message>
    <message id="OREDRLISTVIEW_CANNOT_SEND_MAIL">
        <source>No mail account is set up on this device.</source>
        <translation>No mail account is set up on this device.</translation>
    </message>
    <message id="ORDERLISTVIEW_SEARCH_PLACEHOLDER">
        <source>Search purchase order number</source>
        <translation>Search purchase order number</translation>
    </message>
    <message id="ORDERLISTVIEW_SEARCH_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="ORDERLISTVIEW_EMPTY">
        <source>No orders</source>
        <translation>No orders</translation>
    </message>
    <message id="ORDERLISTVIEW_REFRESH_FAILED">
        <source>The data could not be refreshed. Try again later.</source>
        <translation>The data could not be refreshed. Try again later.</translation>
    </message>
    <message id="OREDRDETAILVIEW_SHIPTO_NOT_FOUND">
        <source>The delivery address of this order is no longer available; it was not copied.</source>
        <translation>The delivery address of this order is no longer available; it was not copied.</translation>
    </message>
</context>
<context>
    <name>orderdetail</name>
    <message id="ORDERDETAILVIEW_HEADER">
        <source>Order</source>
        <translation>Order</translation>
    </message>
    <message id="ORDERDETAILVIEW_PURCHASE_ORDER_NO">
        <source>Purchase order number</source>
        <translation>Purchase order number</translation>
    </message>
    <message id="ORDERDETAILVIEW_SHIP_TO_NAME">
        <source>Customer</source>
        <translation>Customer</translation>
    </message>
    <message id="ORDERDETAILVIEW_DELIVERY_TO_NAME">
        <source>Deliver to</source>
        <translation>Deliver to</translation>
    </message>
    <message id="ORDERDETAILVIEW_DELIVERY_DATE">
        <source>Delivery date</source>
        <translation>Delivery date</translation>
    </message>
    <message id="ORDERDETAILVIEW_ADDRESS">
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message id="ORDER_NO_EMPTY">
        <source>The purchase order number is empty.</source>
        <translation>The purchase order number is empty.</translation>
    </message>
    <message id="ORDER_NO_SECOND_PART_EMPTY">
        <source>The purchase order number is incomplete: choose the customer first.</source>
        <translation>The purchase order number is incomplete: choose the customer first.</translation>
    </message>
    <message id="ORDER_TYPE_CHANGED">
        <source>The order type is no longer a standard order.</source>
        <translation>The order type is no longer a standard order.</translation>
    </message>
    <message id="OREDRDETAILVIEW_SAVE_FAIL_NOITEM">
        <source>Add at least one item before saving the order.</source>
        <translation>Add at least one item before saving the order.</translation>
    </message>
    <message id="ORDER_SAVE_FAILED">
        <source>The order could not be saved.</source>
        <translation>The order could not be saved.</translation>
    </message>
    <message id="ORDER_PHOTO_SAVE_FAILED">
        <source>The photo could not be stored. Please take it again.</source>
        <translation>The photo could not be stored. Please take it again.</translation>
    </message>
    <message id="ORDERDETAILVIEW_ORDER_DATE">
        <source>Order date</source>
        <translation>Order date</translation>
    </message>
    <message id="ORDERDETAILVIEW_DELIVERY_ADDRESS">
        <source>Delivery address</source>
        <translation>Delivery address</translation>
    </message>
    <message id="ORDERDETAILVIEW_ORDER_TYPE">
        <source>Order type</source>
        <translation>Order type</translation>
    </message>
    <message id="ORDERDETAILVIEW_VD_TYPE">
        <source>VD</source>
        <translation>VD</translation>
    </message>
    <message id="ORDERDETAILVIEW_PAYMENT_TERMS">
        <source>Payment terms</source>
        <translation>Payment terms</translation>
    </message>
    <message id="ORDERDETAILVIEW_PHOTOS">
        <source>photos</source>
        <translation>photos</translation>
    </message>
    <message id="ORDERDETAILVIEW_LINES">
        <source>Items (%1)</source>
        <translation>Items (%1)</translation>
    </message>
    <message id="ORDERDETAILVIEW_NO_LINES">
        <source>No items yet: add them with the add-item button.</source>
        <translation>No items yet: add them with the add-item button.</translation>
    </message>
    <message id="ORDERDETAILVIEW_READ_ONLY">
        <source>Uploaded: this order can no longer be changed.</source>
        <translation>Uploaded: this order can no longer be changed.</translation>
    </message>
    <message id="PHOTOPICKER_USE_PHOTO">
        <source>Use photo</source>
        <translation>Use photo</translation>
    </message>
    <message id="PHOTOPICKER_RETAKE">
        <source>Retake</source>
        <translation>Retake</translation>
    </message>
    <message id="PHOTOPICKER_CHOOSE_ANOTHER">
        <source>Choose another</source>
        <translation>Choose another</translation>
    </message>
    <message id="ORDERIMAGEVIEW_EMPTY">
        <source>No photos have been taken for this order.</source>
        <translation>No photos have been taken for this order.</translation>
    </message>
    <message id="ORDERIMAGEVIEW_MISSING">
        <source>Photo file missing</source>
        <translation>Photo file missing</translation>
    </message>
</context>
<context>
    <name>purchaselist</name>
    <message id="ITEMLIST_PURCHASELIST">
        <source>Add Items</source>
        <translation>Add Items</translation>
    </message>
    <message id="INPUT_QUANTITY">
        <source>Quantity</source>
        <translation>Quantity</translation>
    </message>
    <message id="NOT_ALL_NUMERIC">
        <source>Enter the quantity in digits only.</source>
        <translation>Enter the quantity in digits only.</translation>
    </message>
    <message id="PURCHASELIST_SEARCH_PLACEHOLDER">
        <source>Search code, description, category or brand</source>
        <translation>Search code, description, category or brand</translation>
    </message>
    <message id="PURCHASELIST_EMPTY">
        <source>No item matches.</source>
        <translation>No item matches.</translation>
    </message>
    <message id="PURCHASELIST_NO_PROMOTION">
        <source>No promotion is running.</source>
        <translation>No promotion is running.</translation>
    </message>
    <message id="PURCHASELIST_NO_ITEMS">
        <source>There are no items on this tablet yet.</source>
        <translation>There are no items on this tablet yet.</translation>
    </message>
    <message id="PURCHASELIST_NO_PRODUCT_MATCH">
        <source>No product matches “%1”</source>
        <translation>No product matches “%1”</translation>
    </message>
    <message id="PURCHASELIST_NO_PROMOTION_MATCH">
        <source>No promotion matches “%1”</source>
        <translation>No promotion matches “%1”</translation>
    </message>
    <message id="PROMOPRODUCT_SEARCH_PLACEHOLDER">
        <source>Search code or description</source>
        <translation>Search code or description</translation>
    </message>
    <message id="PROMOPRODUCT_EMPTY">
        <source>This promotion has no active products.</source>
        <translation>This promotion has no active products.</translation>
    </message>
    <message id="PROMOPRODUCT_NOT_IN_CATALOGUE">
        <source>None of this promotion's products is in the catalogue on this tablet.</source>
        <translation>None of this promotion's products is in the catalogue on this tablet.</translation>
    </message>
</context>
<context>
    <name>itemlist</name>
    <message id="ITEMLISTVIEW_HEADER">
        <source>Catalogue</source>
        <translation>Catalogue</translation>
    </message>
    <message id="ITEMLISTVIEW_ACTIONSHEET_CAMERA_OPTION">
        <source>Item picture</source>
        <translation>Item picture</translation>
    </message>
    <message id="ITEMLISTVIEW_ACTIONSHEET_CAMERA">
        <source>Take a photo</source>
        <translation>Take a photo</translation>
    </message>
    <message id="ITEMLISTVIEW_ACTIONSHEET_GALLERY">
        <source>Choose from the library</source>
        <translation>Choose from the library</translation>
    </message>
    <message id="ITEMLISTVIEW_ACTIONSHEET_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_NOTHISMATERIAL">
        <source>No item in the catalogue has this barcode.</source>
        <translation>No item in the catalogue has this barcode.</translation>
    </message>
    <message id="ITEMLISTVIEW_SEARCH_PLACEHOLDER">
        <source>Search by item code or description</source>
        <translation>Search by item code or description</translation>
    </message>
    <message id="ITEMLISTVIEW_SEARCH_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="ITEMLISTVIEW_EMPTY">
        <source>No items</source>
        <translation>No items</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_HINT">
        <source>Hold the barcode inside the frame</source>
        <translation>Hold the barcode inside the frame</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_NOCODE">
        <source>No barcode could be read in this picture.</source>
        <translation>No barcode could be read in this picture.</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_CHOOSE_FILE">
        <source>Choose a picture of the barcode</source>
        <translation>Choose a picture of the barcode</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_RESULT">
        <source>Barcode %1</source>
        <translation>Barcode %1</translation>
    </message>
    <message id="ITEMLISTVIEW_BARCODESCANNER_SHOW_ALL">
        <source>Show all items</source>
        <translation>Show all items</translation>
    </message>
    <message id="ITEMLISTVIEW_PHOTO_SAVE_FAILED">
        <source>The picture could not be stored: the tablet's storage is full or cannot be written. Free some space and take it again.</source>
        <translation>The picture could not be stored: the tablet's storage is full or cannot be written. Free some space and take it again.</translation>
    </message>
    <message id="ITEMLISTVIEW_PHOTO_BAD_CODE">
        <source>The picture cannot be stored: the item code “%1” cannot be used as a file name.</source>
        <translation>The picture cannot be stored: the item code “%1” cannot be used as a file name.</translation>
    </message>
</context>
<context>
    <name>sync</name>
    <message id="SYNC_RECEIVING">
        <source>Receiving data… %1 MB</source>
        <translation>Receiving data… %1 MB</translation>
    </message>
    <message id="SYNC_RECEIVING_OF">
        <source>Receiving data… %1 of %2 MB</source>
        <translation>Receiving data… %1 of %2 MB</translation>
    </message>
    <message id="SYNC_STORING">
        <source>Storing… %1 %</source>
        <translation>Storing… %1 %</translation>
    </message>
</context>
<context>
    <name>store</name>
    <message id="STORE_DATABASE_REPLACED">
        <source>The order database on this tablet was damaged and could not be used. It has been kept unchanged as %1, and a new, empty database has been started. Log in on line to load your customers and items again. Orders that were not uploaded are still in the kept file: please tell your support.</source>
        <translation>The order database on this tablet was damaged and could not be used. It has been kept unchanged as %1, and a new, empty database has been started. Log in on line to load your customers and items again. Orders that were not uploaded are still in the kept file: please tell your support.</translation>
    </message>
    <message id="STORE_DATABASE_UNAVAILABLE">
        <source>Field Book cannot open its database on this tablet: the storage is full or cannot be written. Orders cannot be saved until this is solved. Nothing stored so far has been changed.</source>
        <translation>Field Book cannot open its database on this tablet: the storage is full or cannot be written. Orders cannot be saved until this is solved. Nothing stored so far has been changed.</translation>
    </message>
    <message id="STORE_DATABASE_READONLY">
        <source>The database on this tablet can be read but not written: orders cannot be saved until the storage can be written again. Nothing stored so far has been changed.</source>
        <translation>The database on this tablet can be read but not written: orders cannot be saved until the storage can be written again. Nothing stored so far has been changed.</translation>
    </message>
    <message id="STORE_SAVE_FAILED_STORAGE">
        <source>The order could not be saved: the tablet's storage is full or cannot be written. Nothing of it was stored, and your changes are still here. Free some space and save again.</source>
        <translation>The order could not be saved: the tablet's storage is full or cannot be written. Nothing of it was stored, and your changes are still here. Free some space and save again.</translation>
    </message>
</context>
</TS>
