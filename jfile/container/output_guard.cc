#include "jfile/container/output_guard.h"

#include "jfile/container/pdb_file.h"
#include "platform/file_io.h"

namespace jf {

std::string OutputRefusal(const std::string& name, OutputKind kind) {
  std::string actual = ResolveExistingCase(name);
  if (!PathExists(actual)) return std::string();
  bool is_database = IsPalmDatabaseFile(actual);
  if (kind == OutputKind::kText && is_database) return actual + " is a Palm database, not overwritten";
  if (kind == OutputKind::kDatabase && !is_database) return actual + " is not a Palm database, not overwritten";
  return std::string();
}

}  // namespace jf
