// The fragment report as an A4 PDF drawn with Qt's PDF writer: the source,
// the fragment's bounds and counts, the recorder clock against GPS time,
// the journal's events and a picture for every minute and every event. It
// reads the source only (pictures through a cache of its own), so it may be
// made on a worker; it needs a QGuiApplication for its fonts. The file
// appears under its name only when complete, sealed with its ".sha256".
#pragma once

#include "platform/translate.h"

#include <array>
#include <string>
#include <vector>

#include "platform/host.h"
#include "report/report_facts.h"
#include "viewer/camera_setting.h"

namespace quovil {

struct ReportOptions {
  std::array<CameraSetting, 2> cameras{};  // brightness and contrast of the pictures
  std::string made;                         // UTC time of the report; empty: now
};

struct ReportResult {
  enum class Status { Done, Cancelled, Failed };
  Status status = Status::Failed;
  int pages = 0;
  std::string message;  // why it failed
};

inline constexpr const char* kReportFailedText = QUOVIL_TR_NOOP("Report", "Возникла ошибка при записи отчёта!");

// Draws facts of src into path.
ReportResult WriteReportPdf(const Source& src, const ReportFacts& facts, const std::string& path,
                            WorkProgress& progress, const ReportOptions& options = {});

// Collects the facts of indices (a marked fragment) and draws them.
ReportResult WriteFragmentReport(const Source& src, const std::vector<int32_t>& indices, const std::string& path,
                                 WorkProgress& progress, const ReportOptions& options = {});

}  // namespace quovil
