// The vendor's addresses, kept in one place.
#pragma once

// Host name of the vendor's web site (shown in the About box).
inline constexpr char kVendorWebSite[] = "www.pellmora.com";
