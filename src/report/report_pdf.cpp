#include "report/report_pdf.h"

#include "platform/translate.h"

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/evidence_text.h"
#include "export/snapshot.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "report/report_pictures.h"
#include "report/report_text.h"

namespace quovil {

namespace {

constexpr int kDpi = 300;
constexpr int kColumns = 3;

double Mm(double mm) { return mm * kDpi / 25.4; }

enum class Face { Title, Heading, Body, Bold, Small };

QFont FontOf(Face face) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  // No ligatures: digests and paths must read back letter for letter.
  font.setStyleStrategy(QFont::PreferNoShaping);
  switch (face) {
    case Face::Title: font.setPointSizeF(16), font.setBold(true); break;
    case Face::Heading: font.setPointSizeF(12), font.setBold(true); break;
    case Face::Body: font.setPointSizeF(9.5); break;
    case Face::Bold: font.setPointSizeF(9.5), font.setBold(true); break;
    case Face::Small: font.setPointSizeF(7); break;
  }
  return font;
}

QString Q(const std::string& s) {
  QString q = QString::fromUtf8(s.data(), qsizetype(s.size()));
  q.replace(QLatin1Char('\n'), QChar::LineSeparator);
  return q;
}

// Breaks text into lines of width (at word boundaries, inside a word too long
// for a line) and gives the height of the lines.
double LayText(QTextLayout& layout, double width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  double height = 0;
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout.endLayout();
  return height;
}

// One thing drawn on a page.
struct Item {
  enum class Kind { Text, Picture, Rule };
  Kind kind = Kind::Text;
  QRectF box;
  QString text;
  Face face = Face::Body;
  int32_t index = -1;  // the picture's catalogue index
};
using Page = std::vector<Item>;

// Places the report's parts one below the other onto pages of the paint
// area, a part that does not fit on the rest of a page going to the next.
class Planner {
 public:
  Planner(QPaintDevice* device, double width, double height) : device_(device), width_(width), bottom_(height) {
    pages.emplace_back();
  }

  std::vector<Page> pages;

  double TextHeight(const QString& text, Face face, double width) const {
    QTextLayout layout(text, FontOf(face), device_);
    return LayText(layout, width);
  }
  void Room(double height) {
    if (y_ > 0 && y_ + height > bottom_) NewPage();
  }
  void NewPage() {
    pages.emplace_back();
    y_ = 0;
  }
  void Gap(double g) { y_ += g; }
  void Text(const std::string& s, Face face, double after = Mm(1)) {
    const QString text = Q(s);
    const double h = TextHeight(text, face, width_);
    Room(h);
    pages.back().push_back({Item::Kind::Text, QRectF(0, y_, width_, h), text, face});
    y_ += h + after;
  }
  void Heading(const std::string& s) {
    // A heading never stays alone at the foot of a page.
    Room(TextHeight(Q(s), Face::Heading, width_) + 3 * TextHeight(QStringLiteral("X"), Face::Body, width_));
    Gap(Mm(3));
    Text(s, Face::Heading, Mm(2));
  }
  void Table(const std::vector<std::vector<std::string>>& rows) {
    static constexpr double kAt[] = {0, 0.46, 0.64, 0.82};
    const double rowHeight = TextHeight(QStringLiteral("X"), Face::Body, width_) * 1.35;
    Room(rowHeight * double(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
      const bool edge = r == 0 || r + 1 == rows.size();
      for (size_t c = 0; c < rows[r].size() && c < 4; ++c) {
        const double x = kAt[c] * width_, w = (c + 1 < 4 ? kAt[c + 1] * width_ : width_) - x;
        pages.back().push_back({Item::Kind::Text, QRectF(x, y_, w, rowHeight), Q(rows[r][c]),
                                edge ? Face::Bold : Face::Body});
      }
      y_ += rowHeight;
      if (r == 0 || r + 2 == rows.size())
        pages.back().push_back({Item::Kind::Rule, QRectF(0, y_ - rowHeight * 0.12, width_, 0), {}, Face::Body});
    }
    y_ += Mm(2);
  }
  void Pictures(const ReportFacts& f, double aspect) {
    const double gap = Mm(4);
    const double w = (width_ - gap * (kColumns - 1)) / kColumns, h = w * aspect;
    for (size_t first = 0; first < f.thumbnails.size(); first += kColumns) {
      const size_t end = std::min(f.thumbnails.size(), first + kColumns);
      std::vector<QString> captions;
      double captionHeight = 0;
      for (size_t k = first; k < end; ++k) {
        captions.push_back(Q(ThumbnailCaption(f, f.thumbnails[k])));
        captionHeight = std::max(captionHeight, TextHeight(captions.back(), Face::Small, w));
      }
      Room(h + Mm(1) + captionHeight);
      for (size_t k = first; k < end; ++k) {
        const double x = double(k - first) * (w + gap);
        pages.back().push_back({Item::Kind::Picture, QRectF(x, y_, w, h), {}, Face::Body, f.thumbnails[k].index});
        pages.back().push_back(
            {Item::Kind::Text, QRectF(x, y_ + h + Mm(1), w, captionHeight), captions[k - first], Face::Small});
      }
      y_ += h + Mm(1) + captionHeight + gap;
    }
  }

 private:
  QPaintDevice* device_;
  double width_, bottom_;
  double y_ = 0;
};

std::vector<Page> PlanReport(const ReportFacts& f, const std::string& made, QPaintDevice* device, double width,
                             double height, double aspect) {
  Planner p(device, width, height);
  p.Text(Tr("Report", kReportTitle), Face::Title, Mm(1));
  p.Text(Format(Tr("Report", "Отчёт составлен %s (UTC)."), made.c_str()), Face::Body, Mm(2));
  p.Heading(Tr("Report", kReportSourceHeading));
  for (const std::string& s : SourceSentences(f.source)) p.Text(s, Face::Body);
  p.Heading(Tr("Report", kReportFragmentHeading));
  for (const std::string& s : FragmentSentences(f)) p.Text(s, Face::Body);
  p.Gap(Mm(1));
  p.Table(CountTable(f));
  p.Heading(Tr("Report", kReportClockHeading));
  for (const std::string& s : ClockSentences(f.clock)) p.Text(s, Face::Body);
  p.Heading(Tr("Report", kReportJournalHeading));
  for (const std::string& s : EventLines(f)) p.Text(s, Face::Body);
  p.Heading(Tr("Report", kReportPicturesHeading));
  p.Text(PicturesSentence(f), Face::Body, Mm(3));
  if (aspect > 0) p.Pictures(f, aspect);
  return std::move(p.pages);
}

void DrawText(QPainter& painter, const Item& item, QPaintDevice* device) {
  QTextLayout layout(item.text, FontOf(item.face), device);
  LayText(layout, item.box.width());
  layout.draw(&painter, item.box.topLeft());
}

void DrawPicture(QPainter& painter, const QRectF& box, const Picture8& pic) {
  if (!pic.Empty()) {
    const QImage image(pic.pixels.data(), pic.width, pic.height, pic.stride, QImage::Format_Grayscale8);
    painter.drawImage(box, image);
  }
  painter.setPen(QPen(Qt::black, Mm(0.15)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(box);
}

ReportResult Failed(const std::string& why) {
  ReportResult r;
  r.message = why.empty() ? std::string(Tr("Report", kReportFailedText))
                          : std::string(Tr("Report", kReportFailedText)) + "\r" + why;
  return r;
}

std::string CannotWriteReason(const std::string& path) {
  return "cannot write " + path + ": " + std::strerror(errno ? errno : EIO);
}

void RemoveQuietly(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(PathFromUtf8(path), ec);
}

}  // namespace

ReportResult WriteReportPdf(const Source& src, const ReportFacts& facts, const std::string& path,
                            WorkProgress& progress, const ReportOptions& options) {
  const std::string temp = path + ".part";
  for (const std::string& target : {path, temp}) {
    if (const OutputProblem problem = CheckOutputTarget(target); problem != OutputProblem::None)
      return Failed(OutputProblemText(problem));
  }
  const std::string made = options.made.empty() ? UtcNowText() : options.made;
  QPdfWriter writer(QString::fromUtf8(temp.c_str()));
  writer.setResolution(kDpi);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                   QPageLayout::Millimeter));
  writer.setTitle(QString::fromUtf8(Tr("Report", kReportTitle)));
  writer.setCreator(QStringLiteral("QUOVIL"));
  const double width = writer.width(), height = writer.height();
  const double foot = Mm(8);
  const StampedSize stamped = StampedFrameSize(src);
  const double aspect = stamped.width > 0 ? double(stamped.height) / stamped.width : 0;
  const std::vector<Page> pages = PlanReport(facts, made, &writer, width, height - foot, aspect);

  ReportPictures pictures(src, options.cameras);
  progress.Begin(Tr("Report", "Отчёт о фрагменте"), Tr("Report", "Составление отчёта о фрагменте в PDF файл"),
                 int(facts.thumbnails.size()));
  QPainter painter;
  errno = 0;
  if (!painter.begin(&writer)) {
    progress.End();
    RemoveQuietly(temp);
    return Failed(CannotWriteReason(temp));
  }
  int done = 0;
  bool cancelled = false;
  for (size_t n = 0; n < pages.size() && !cancelled; ++n) {
    if (n > 0) writer.newPage();
    painter.setPen(Qt::black);
    for (const Item& item : pages[n]) {
      switch (item.kind) {
        case Item::Kind::Text: DrawText(painter, item, &writer); break;
        case Item::Kind::Rule:
          painter.setPen(QPen(Qt::black, Mm(0.2)));
          painter.drawLine(item.box.topLeft(), item.box.topRight());
          break;
        case Item::Kind::Picture:
          DrawPicture(painter, item.box, pictures.Stamped(item.index));
          progress.Step(++done);
          break;
      }
      painter.setPen(Qt::black);
    }
    const Item footer{Item::Kind::Text, QRectF(0, height - foot + Mm(3), width, foot - Mm(3)),
               Q(PageFootText(int(n) + 1, int(pages.size()), made)), Face::Small};
    DrawText(painter, footer, &writer);
    cancelled = progress.Cancelled();
  }
  const bool ended = painter.end();
  progress.End();
  if (cancelled) {
    RemoveQuietly(temp);
    return {ReportResult::Status::Cancelled, 0, {}};
  }
  std::error_code ec;
  const auto size = std::filesystem::file_size(PathFromUtf8(temp), ec);
  if (!ended || ec || size == 0) {
    RemoveQuietly(temp);
    return Failed(CannotWriteReason(temp));
  }
  std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(path), ec);
  if (ec) {
    RemoveQuietly(temp);
    return Failed(ec.message());
  }
  std::string why;
  if (!SealExport(path, &why)) return Failed(why);
  return {ReportResult::Status::Done, int(pages.size()), {}};
}

ReportResult WriteFragmentReport(const Source& src, const std::vector<int32_t>& indices, const std::string& path,
                                 WorkProgress& progress, const ReportOptions& options) {
  if (const OutputProblem problem = CheckOutputTarget(path); problem != OutputProblem::None)
    return Failed(OutputProblemText(problem));
  bool cancelled = false;
  const ReportFacts facts = CollectReportFacts(src, indices, progress, &cancelled);
  if (cancelled) return {ReportResult::Status::Cancelled, 0, {}};
  return WriteReportPdf(src, facts, path, progress, options);
}

}  // namespace quovil
