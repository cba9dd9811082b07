#pragma once

// The vendor's web site: the status-bar link, the About dialog and the
// new-version message all point here.
inline constexpr char vendorSiteUrl[] = "http://www.vantoro.com";
