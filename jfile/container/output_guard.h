// Keeps a tool from replacing an existing file of another kind with its output: text output (CSV, DEF, HTML) is
// never written over a Palm database, and a database is never written over an existing file that is not one.
#pragma once

#include <string>

namespace jf {

enum class OutputKind { kText, kDatabase };

// Empty when the output may be written at name (no file there, or a file of the same kind); otherwise the
// message a tool prints on the file's line, such as "B.PDB is a Palm database, not overwritten".
std::string OutputRefusal(const std::string& name, OutputKind kind);

}  // namespace jf
