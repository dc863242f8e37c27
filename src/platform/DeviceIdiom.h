#pragma once

// Whether the application runs as on a tablet or as on a phone. A desktop
// window is a tablet unless FIELDBOOK_IDIOM=phone asks for the phone layout
// (which also opens a phone-sized window).
class DeviceIdiom
{
public:
    static bool isTablet();
    static void setTablet(bool tablet);
};
