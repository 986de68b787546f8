// Opening a web page in the user's browser.
#pragma once

// Opens `url` with the shell ("open", shown); a failure is not reported.
void OpenUrl(const char* url);

// What OpenUrl does instead, for the tests; null restores the shell. Returns
// the one it replaces.
using UrlOpener = void (*)(const char* url);
UrlOpener SetUrlOpener(UrlOpener opener);
