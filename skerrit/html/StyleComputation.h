// The formatting of text, computed from the element stack. Inner elements override outer ones;
// a table cell or row starts again from the default style, so formatting opened outside a table
// does not reach into it; a link shows as a link even inside U.
#pragma once

#include "html/ElementStack.h"
#include "html/HtmlReader.h"

namespace skerrit {

[[nodiscard]] TextStyle computeStyle(const ElementStack& stack);

// Equal from alignment through item start; for the first text of a list item the list style and
// item number must match as well (elsewhere they do not show).
[[nodiscard]] bool sameStyle(const TextStyle& a, const TextStyle& b);

}  // namespace skerrit
