// The application framework base: the program's identity texts, its module
// instance and the registry access it inherits. One object per process.
#pragma once

#include <windows.h>

#include "prefs/wreg.h"

class WApp : public WReg {
public:
    // Records this object as the current application.
    WApp();
    virtual ~WApp();
    WApp(const WApp&) = delete;
    WApp& operator=(const WApp&) = delete;

    virtual const char* CompanyName() const = 0;
    virtual const char* WebSite() const = 0;
    virtual const char* ProductName() const = 0;
    virtual const char* VersionText() const = 0;
    virtual const char* MajorVersion() const = 0;
    virtual const char* Title() const = 0;
    virtual const char* DisplayName() const { return ProductName(); }

    HINSTANCE Instance() const { return instance; }

protected:
    HINSTANCE instance = nullptr;
};

// The current application object, or null when there is none.
WApp* GetApp();
