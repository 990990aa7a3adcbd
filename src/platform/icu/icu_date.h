// The long date of a POSIX locale, from the CLDR data that ICU carries: the
// pattern of the locale's long date converted to the core's pattern letters,
// and the month and day names that go with it. Shared by the backends of
// Linux desktops (GTK and headless); Windows reads its own locale settings.
#pragma once

#include <string_view>

#include "calendar/date_format.h"

namespace gd {

// `locale` is a POSIX locale name ("de_DE.UTF-8", "ru_RU", "sv_SE.UTF-8@euro").
// "C", "POSIX", an empty name and a language ICU has no data for give the
// English default.
LongDateFormat IcuLongDateFormat(std::string_view locale);

}  // namespace gd
