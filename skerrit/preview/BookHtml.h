// The book as one self-contained HTML5 page (UTF-8, inline CSS, no scripts), laid out the way the
// handheld reader shows it.
//
// Markup, which the preview's tests read back:
// - each page is a <section class="page" id="pN">, headed (when the book has several) by an
//   <h2 class="page-name">;
// - each line of text is a <div class="l ...">; the line feed that ends it is not written, and a
//   line cut short (by a rule or the end of the book) without one has the class "cut"; the line's
//   alignment (c, r) and indentation (in1 to in7) come from the style of its first character;
// - each stretch of one style is a <span> whose classes name the style's attribute bits: s1 to s7
//   (font size, absent for 3), h, m, b, u, lk (shown as a link), i, x (struck through), sub, sup,
//   and again c, r and inN, which only the line's own classes lay out;
// - a list item's first text is preceded by <span class="mk" data-mk="..."> whose marker the CSS
//   shows: a bullet, a letter, a roman or a decimal number;
// - a link entry is an <a href="#tP"> to the empty <span id="tP"> at text position P;
// - a horizontal rule is an <hr class="rule ..."> before the line it stands at.
#pragma once

#include <string>

#include "preview/Book.h"

namespace skerrit::preview {

std::string renderBookHtml(const Book& book);

// The marker of a list item: "•", "◦", "▪", or its number as "C.", "c.", "III.", "iii.", "3.".
std::string listMarker(uint32_t listStyle, uint32_t itemNumber);

}  // namespace skerrit::preview
