// The program's version and identity, in one place for the resources of both
// programs (their version information) and for the code that shows them.
// Plain macros, so that the resource compiler reads this file too.
#pragma once

#define ORVANTA_COMPANY "Pellmora"
#define ORVANTA_PRODUCT "Orvanta"
#define ORVANTA_VERSION_TEXT "1.1"
#define ORVANTA_VERSION_MAJOR_TEXT "1"
// The four numbers of the fixed version information, and the same as text.
#define ORVANTA_VERSION_NUMBERS 1, 1, 0, 0
#define ORVANTA_VERSION_DOTTED "1.1.0.0"
#define ORVANTA_COPYRIGHT "Copyright (C) 2026 Pellmora"
