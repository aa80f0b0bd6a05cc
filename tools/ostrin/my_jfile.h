// The database-to-CSV tool's database object: a TJFILE whose progress reports go to standard output.
#pragma once

#include <string>
#include <vector>

#include "jfile/model/jfile.h"

namespace jf {

// Each "%s" of format takes the next argument ("%%" is a percent sign); missing arguments give empty text.
std::string FormatReport(const std::string& format, const std::vector<std::string>& args);

class MyJFILE : public TJFILE {
 public:
  // An empty format ends the line; any other is printed formatted, without a line end.
  void Report(const std::string& format, const std::vector<std::string>& args = {}) override;
};

}  // namespace jf
