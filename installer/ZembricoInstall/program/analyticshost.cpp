// The analytics collection host of one build of the setup program; each installer variant
// compiles this file with its own setting.
#include "installer/ZembricoInstall/googleanalytics.h"

#ifndef ZB_ANALYTICS_HOST
#error "ZB_ANALYTICS_HOST names the analytics collection host of the build"
#endif
const char kAnalyticsCollectionHost[] = ZB_ANALYTICS_HOST;
