// The sentences of the fragment report, in the viewer's own Russian. Each is
// a whole sentence with its values put in; the PDF lays them out.
#pragma once

#include "platform/translate.h"

#include <string>
#include <vector>

#include "report/report_facts.h"

namespace quovil {

inline constexpr const char* kReportTitle = QUOVIL_TR_NOOP("Report", "Отчёт о фрагменте записей");
inline constexpr const char* kReportSourceHeading = QUOVIL_TR_NOOP("Report", "Источник");
inline constexpr const char* kReportFragmentHeading = QUOVIL_TR_NOOP("Report", "Фрагмент");
inline constexpr const char* kReportClockHeading = QUOVIL_TR_NOOP("Report", "Часы регистратора и время GPS");
inline constexpr const char* kReportJournalHeading = QUOVIL_TR_NOOP("Report", "События журнала во фрагменте");
inline constexpr const char* kReportPicturesHeading = QUOVIL_TR_NOOP("Report", "Кадры фрагмента");
inline constexpr const char* kReportClockLine = QUOVIL_TR_NOOP("Report", "Время записей и событий указано по часам регистратора.");

// "1 073 741 824": digits in groups of three.
std::string GroupedDigits(int64_t n);
// "15.06.2024 12:00:00", and the journal's "15.06.2024 12:00".
std::string ReportTimeText(const TimeStamp& t);
std::string ReportMinuteText(const TimeStamp& t);

std::vector<std::string> SourceSentences(const ReportSource& s);
std::vector<std::string> FragmentSentences(const ReportFacts& f);
// The counts as a table: a header row, one row per kind that occurs, a total row.
std::vector<std::vector<std::string>> CountTable(const ReportFacts& f);
std::vector<std::string> ClockSentences(const ClockOffset& c);
// One line per event ("15.06.2024 12:03  Режим записи"), or the sentence
// that there is none or no journal.
std::vector<std::string> EventLines(const ReportFacts& f);
std::string PicturesSentence(const ReportFacts& f);
// Under a picture: its time and camera, and the event it stands for.
std::string ThumbnailCaption(const ReportFacts& f, const ReportThumbnail& t);
// The foot of every page.
std::string PageFootText(int page, int pages, const std::string& made);

}  // namespace quovil
