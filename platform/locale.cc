#include <string>

#include "platform/locale.h"

namespace jf {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Builds a format in date-format letters; literal letters and quote characters are quoted so the formatter
// copies them instead of reading them as fields.
class FormatBuilder {
 public:
  void Literal(char c) {
    if (IsLetter(c)) {
      if (!in_quote_) out_ += '"';
      in_quote_ = true;
      out_ += c;
      return;
    }
    CloseQuote();
    if (c == '"') {
      out_ += "'\"'";
    } else if (c == '\'') {
      out_ += "\"'\"";
    } else {
      out_ += c;
    }
  }
  void Field(const std::string& letters, bool is_hour) {
    CloseQuote();
    out_ += letters;
    after_hour_ = is_hour;
  }
  // Minutes: "mm" reads as minutes only right after an hour, "nn" always does.
  void Minutes() { Field(after_hour_ ? "mm" : "nn", false); }
  std::string Finish() {
    CloseQuote();
    const size_t first = out_.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return out_.substr(first, out_.find_last_not_of(' ') - first + 1);
  }

 private:
  void CloseQuote() {
    if (in_quote_) out_ += '"';
    in_quote_ = false;
  }
  std::string out_;
  bool in_quote_ = false;
  bool after_hour_ = false;
};

}  // namespace

std::string TranslateStrftimeFormat(const std::string& format, HourClock clock) {
  const bool to_24_hour = clock == HourClock::k24Hour;
  FormatBuilder b;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      b.Literal(format[i]);
      continue;
    }
    // Flags and width: "-" and "_" ask for an unpadded number; the others change nothing we can show.
    bool unpadded = false;
    ++i;
    while (i < format.size() && (format[i] == '-' || format[i] == '_' || format[i] == '0' || format[i] == '^' ||
                                 format[i] == '#' || (format[i] >= '1' && format[i] <= '9'))) {
      if (format[i] == '-' || format[i] == '_') unpadded = true;
      ++i;
    }
    // The alternative-representation modifiers keep the meaning of the conversion.
    if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
    if (i >= format.size()) break;
    switch (format[i]) {
      case 'd': b.Field(unpadded ? "d" : "dd", false); break;
      case 'e': b.Field("d", false); break;
      case 'm': b.Field(unpadded ? "M" : "MM", false); break;
      case 'y':
      case 'Y':
      case 'G': b.Field("yyyy", false); break;
      case 'b':
      case 'h': b.Field("MMM", false); break;
      case 'B': b.Field("MMMM", false); break;
      case 'a': b.Field("ddd", false); break;
      case 'A': b.Field("dddd", false); break;
      case 'H': b.Field(unpadded ? "H" : "HH", true); break;
      case 'k': b.Field("H", true); break;
      case 'I': b.Field(to_24_hour ? "HH" : unpadded ? "h" : "hh", true); break;
      case 'l': b.Field(to_24_hour ? "HH" : "h", true); break;
      case 'M': b.Minutes(); break;
      case 'S': b.Field(unpadded ? "s" : "ss", false); break;
      case 'p':
        if (!to_24_hour) b.Field("AM/PM", false);
        break;
      case 'P':
        if (!to_24_hour) b.Field("am/pm", false);
        break;
      case 'D': b.Field("MM/dd/yyyy", false); break;
      case 'F': b.Field("yyyy-MM-dd", false); break;
      case 'T': b.Field("HH:mm:ss", false); break;
      case 'R': b.Field("HH:mm", false); break;
      case 'r': b.Field(to_24_hour ? "HH:mm:ss" : "hh:mm:ss AM/PM", false); break;
      case 't': b.Literal('\t'); break;
      case 'n': b.Literal(' '); break;
      case '%': b.Literal('%'); break;
      default: break;  // no equivalent (time zone, week and day numbers, ...): dropped
    }
  }
  return b.Finish();
}

}  // namespace jf
