#include "journal/journal_csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/checksum_file.h"
#include "platform/csv_text.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "platform/translate.h"

namespace quovil {

std::string JournalCsv(const std::vector<EventRow>& rows) {
  std::string text = CsvRecord({"date", "time", "code", "data", "text"});
  for (const EventRow& r : rows) {
    if (r.IsSeparator()) continue;
    const std::size_t start = r.date.find_first_not_of(' ');
    text += CsvRecord({start == std::string::npos ? std::string() : r.date.substr(start), r.time,
                       std::to_string(r.code), std::to_string(r.data), r.text});
  }
  return text;
}

bool SaveJournalCsv(const std::string& path, const std::vector<EventRow>& rows, std::string* error) {
  std::string why;
  if (const OutputProblem p = CheckOutputTarget(path); p != OutputProblem::None) {
    if (error) *error = OutputProblemText(p);
    return false;
  }
  const std::string text = JournalCsv(rows), temp = path + ".part";
  std::FILE* f = CreateOutputFile(temp, why);
  bool ok = f != nullptr;
  if (ok) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) why = Tr("Journal", "Ошибка записи файла!");
  }
  std::error_code ec;
  if (ok) std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(path), ec);
  if (ec) {
    why = Tr("Journal", "Ошибка записи файла!");
    ok = false;
  }
  if (!ok) RemoveFileUtf8(temp);
  ok = ok && SealExport(path, &why);
  if (!ok && error) *error = why;
  return ok;
}

}  // namespace quovil
