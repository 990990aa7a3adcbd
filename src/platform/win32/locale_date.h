// The long date format of a Windows locale, in the core's terms: the
// LOCALE_SLONGDATE picture converted to the core's pattern, and the month and
// day names that go with it.
#pragma once

#include "calendar/date_format.h"

namespace gd::win32 {

// `localeName` is a locale name such as L"de-DE", or nullptr for the user's
// own locale. What the locale does not give keeps the English default.
LongDateFormat LongDateFormatOf(const wchar_t* localeName);

}  // namespace gd::win32
