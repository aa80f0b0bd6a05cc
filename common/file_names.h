// Operations on file names as text: splitting into folder, name and extension, and rebuilding. They never touch
// the disk and never fail. The folder separator is "/"; ":" and "\" are ordinary characters.
//
// A name is split into the folder part (up to and including the last "/"), the extension (from the last "."
// after the folder part to the end) and the name part between them.
#pragma once

#include <string>

namespace jf {

// The folder part: everything up to and including the last "/"; empty when there is none.
std::string FilePathPart(const std::string& name);
// Everything after the last "/"; the whole name when it has none.
std::string FileNamePart(const std::string& name);
// name with "." + ext added when it has no extension (a name ending in "." counts as having one).
std::string DefaultExtension(const std::string& name, const std::string& ext);
// name with its extension, if any, replaced by "." + ext.
std::string ForceExtension(const std::string& name, const std::string& ext);
// name followed by "/" when it is not empty and does not end with "/".
std::string AddBackslash(const std::string& name);
void AddBackslashInPlace(std::string* name);
// name without its final "/", except for the root "/" itself, which stays.
std::string RemoveBackslash(const std::string& name);
// True when name contains "*" or "?".
bool HasWildcards(const std::string& name);
// Console text to file-name text: names are bytes on this system, so the text comes back unchanged.
std::string OemToAnsiText(const std::string& text);

}  // namespace jf
