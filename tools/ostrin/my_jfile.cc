#include "tools/ostrin/my_jfile.h"

#include "platform/std_output.h"

namespace jf {

std::string FormatReport(const std::string& format, const std::vector<std::string>& args) {
  std::string out;
  size_t next_arg = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == '%')) {
      if (format[i + 1] == '%') {
        out += '%';
      } else if (next_arg < args.size()) {
        out += args[next_arg++];
      }
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

void MyJFILE::Report(const std::string& format, const std::vector<std::string>& args) {
  if (format.empty()) {
    OutLine();
  } else {
    Out(FormatReport(format, args));
  }
}

}  // namespace jf
