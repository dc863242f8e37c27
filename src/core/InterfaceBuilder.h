#pragma once

// Builds the window and the root screen. The application core decides when
// (launch, and a new day); the user interface layer decides how.
class InterfaceBuilder
{
public:
    virtual ~InterfaceBuilder() = default;
    // Creates a new window with a new root screen (which shows the login
    // screen), replacing and releasing any earlier ones.
    virtual void buildInterface() = 0;
};
