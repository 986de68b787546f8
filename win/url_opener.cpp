#include "win/url_opener.h"

#include <windows.h>

#include <shellapi.h>

namespace {

void OpenWithShell(const char* url) {
    ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOW);
}

UrlOpener opener = OpenWithShell;

} // namespace

void OpenUrl(const char* url) {
    opener(url);
}

UrlOpener SetUrlOpener(UrlOpener newOpener) {
    const UrlOpener previous = opener;
    opener = newOpener ? newOpener : OpenWithShell;
    return previous;
}
