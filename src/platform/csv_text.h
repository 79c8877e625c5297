// CSV as RFC 4180 has it: comma separated, a field holding a comma, a quote
// or a line break quoted with its quotes doubled, CRLF line ends. The
// listings write UTF-8 with a header row.
#pragma once

#include <string>
#include <vector>

namespace quovil {

// One field, quoted where RFC 4180 asks for it.
std::string CsvField(const std::string& text);
// One record of fields, ended by CRLF.
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace quovil
