#include "app/wapp.h"

namespace {
WApp* current = nullptr;
}

WApp::WApp() { current = this; }

WApp::~WApp() {
    if (current == this)
        current = nullptr;
}

WApp* GetApp() { return current; }
