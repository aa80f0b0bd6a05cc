#include "common/file_names.h"

namespace jf {
namespace {

constexpr char kSeparator = '/';

// The three parts of a name: folder (with its final "/"), name, extension (with its ".").
struct NameParts {
  std::string folder;
  std::string name;
  std::string extension;
};

NameParts SplitName(const std::string& full) {
  NameParts parts;
  size_t slash = full.rfind(kSeparator);
  size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  parts.folder = full.substr(0, name_start);
  size_t dot = full.rfind('.');
  if (dot == std::string::npos || dot < name_start) dot = full.size();
  parts.name = full.substr(name_start, dot - name_start);
  parts.extension = full.substr(dot);
  return parts;
}

}  // namespace

std::string FilePathPart(const std::string& name) { return SplitName(name).folder; }

std::string FileNamePart(const std::string& name) {
  size_t slash = name.rfind(kSeparator);
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string DefaultExtension(const std::string& name, const std::string& ext) {
  NameParts parts = SplitName(name);
  if (parts.extension.empty()) parts.extension = "." + ext;
  return parts.folder + parts.name + parts.extension;
}

std::string ForceExtension(const std::string& name, const std::string& ext) {
  NameParts parts = SplitName(name);
  return parts.folder + parts.name + "." + ext;
}

std::string AddBackslash(const std::string& name) {
  std::string result = name;
  AddBackslashInPlace(&result);
  return result;
}

void AddBackslashInPlace(std::string* name) {
  if (!name->empty() && name->back() != kSeparator) name->push_back(kSeparator);
}

std::string RemoveBackslash(const std::string& name) {
  if (name.size() > 1 && name.back() == kSeparator) return name.substr(0, name.size() - 1);
  return name;
}

bool HasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

std::string OemToAnsiText(const std::string& text) { return text; }

}  // namespace jf
