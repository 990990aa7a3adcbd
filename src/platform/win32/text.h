// Text at the boundary with Windows: the core speaks UTF-8, the wide-character
// API speaks UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace gd::win32 {

// Invalid sequences become U+FFFD; nothing is dropped silently.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's message text for an error code as a sentence to show: the
// trailing blanks, control characters and full stops that the message table
// ends its texts with are cut off. Codes without a text read "Error <code>".
std::string SystemErrorText(unsigned long code);

// A menu caption for the menu API, where '&' marks the next letter as the
// item's access key: a literal '&' (a long date may hold one) is doubled.
std::wstring MenuCaption(std::string_view caption);

}  // namespace gd::win32
