#pragma once

#include "store/CustomerShipTo.h"
#include "store/CustomerSoldTo.h"

#include <optional>

// Where the two customer pickers send the salesman's choice: the order
// editor. No record means the picker was cancelled; every answer closes the
// picker.
class CustomerPickerDelegate
{
public:
    virtual ~CustomerPickerDelegate() = default;
    // The billing customer.
    virtual void SoldToSeleted(const std::optional<CustomerSoldTo>& customer) = 0;
    // An address taken as the customer itself.
    virtual void shipToSeleted(const std::optional<CustomerShipTo>& address) = 0;
    // The delivery address.
    virtual void DeliveryToSeleted(const std::optional<CustomerShipTo>& address) = 0;
};
