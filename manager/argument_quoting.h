// The command line of a Windows child program, built from an argument list
// so that the C runtime of the child splits it back into exactly that list.
// Nothing goes through cmd.exe: characters such as & | % ^ < > mean nothing
// here.
//
// The runtime's rules, which the quoting inverts: arguments are separated
// by spaces and tabs; a double quote starts or ends a quoted part in which
// spaces and tabs are kept; 2n backslashes before a quote give n
// backslashes and the quote keeps its meaning; 2n+1 backslashes before a
// quote give n backslashes and a literal quote; backslashes anywhere else
// are themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halvex {

// One argument as it must appear: unchanged when it holds no space, tab,
// newline or quote and is not empty; else in quotes, with each quote
// escaped and the backslashes before a quote or the closing quote doubled.
std::string QuoteArgument(std::string_view argument);

// The arguments quoted and joined by single spaces.
std::string WindowsCommandLine(const std::vector<std::string>& argv);

}  // namespace halvex
