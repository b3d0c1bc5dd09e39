// The companion files of a chosen file: the CSV, database and information file of one conversion
// share a folder and a name and differ in the three-letter extension.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The path without a final ".xyz" (a dot and three characters) in its file name; a name without
// such an extension is returned whole. Only the file name is looked at, so a short name never
// eats into its folder.
std::string pathStem(std::string_view path);

// The path with its three-letter extension replaced by extension ("names.pdb" and "csv" give
// "names.csv"); a name without one gets the extension added ("names" gives "names.csv").
std::string withExtension(std::string_view path, std::string_view extension);

// The file name of a path, without its folder.
std::string_view fileNameOf(std::string_view path);

}  // namespace quillon
