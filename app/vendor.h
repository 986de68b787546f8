// The vendor's addresses, kept in one place. The resources (the About box)
// take the macros; the program takes the constants.
#pragma once

// Host name of the vendor's web site, shown in the About box.
#define ORVANTA_VENDOR_WEB_SITE "www.pellmora.com"
// The vendor's home page, which the About box's web site button opens.
#define ORVANTA_VENDOR_HOME_PAGE "http://www.pellmora.com/"

#ifndef RC_INVOKED
inline constexpr char kVendorWebSite[] = ORVANTA_VENDOR_WEB_SITE;
inline constexpr char kVendorHomePage[] = ORVANTA_VENDOR_HOME_PAGE;
// The update descriptor that the start-up check downloads.
inline constexpr char kUpdateDescriptorUrl[] = "http://www.pellmora.com/orvanta/pad.xml";
#endif
