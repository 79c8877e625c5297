// The window's MP4 export: the choice of cameras and arrangement, of the
// stamp's readings and of the parts' size, the file dialog, and the export
// itself on a worker that reads the open source while the window waits with
// the progress dialog's Cancel.
#ifdef QUOVIL_MP4

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>


#include "app/view_main.h"
#include "card/korax.h"
#include "export/mp4_export.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

std::function<void(QDialog&)> TMainForm::mp4DialogHook;

namespace {

// The cameras, their arrangement, the stamp's readings and the size of the
// parts, starting from the choice made last; nothing when the user closed the
// dialog.
std::optional<Mp4Options> AskMp4Options(QWidget* parent, int activeCamera, const Mp4Options& last) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("Mp4Form"));
  dialog.setWindowTitle(QCoreApplication::translate("MainWindow", "Сохранение фрагмента в MP4"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QCoreApplication::translate("MainWindow", "Данные с каких камер сохранять?"), &dialog));
  auto* group = new QButtonGroup(&dialog);
  const char* captions[] = {QUOVIL_TR_NOOP("MainWindow", "Камера 1"), QUOVIL_TR_NOOP("MainWindow", "Камера 2"), QUOVIL_TR_NOOP("MainWindow", "Обе камеры")};
  for (int id = 0; id < 3; ++id) {
    auto* b = new QRadioButton(QCoreApplication::translate("MainWindow", captions[id]), &dialog);
    b->setObjectName(QStringLiteral("camera%1").arg(id));
    group->addButton(b, id);
    layout->addWidget(b);
  }
  group->button(last.camera < 0 ? 2 : activeCamera == 1 ? 1 : 0)->setChecked(true);
  auto* arrangement = new QComboBox(&dialog);
  arrangement->setObjectName(QStringLiteral("arrangement"));
  arrangement->addItems({QCoreApplication::translate("MainWindow", "Рядом"), QCoreApplication::translate("MainWindow", "Одна над другой"),
                         QCoreApplication::translate("MainWindow", "Окно в окне")});
  arrangement->setCurrentIndex(int(last.arrangement));
  arrangement->setEnabled(last.camera < 0);
  layout->addWidget(arrangement);
  QObject::connect(group, &QButtonGroup::idToggled, arrangement,
                   [arrangement, group](int, bool) { arrangement->setEnabled(group->checkedId() == 2); });

  layout->addWidget(new QLabel(QCoreApplication::translate("MainWindow", "Кроме даты и времени на кадре:"), &dialog));
  auto* speed = new QCheckBox(QCoreApplication::translate("MainWindow", "скорость"), &dialog);
  speed->setObjectName(QStringLiteral("stampSpeed"));
  speed->setChecked(last.stampSpeed);
  auto* voltage = new QCheckBox(QCoreApplication::translate("MainWindow", "входное напряжение"), &dialog);
  voltage->setObjectName(QStringLiteral("stampVoltage"));
  voltage->setChecked(last.stampVoltage);
  layout->addWidget(speed);
  layout->addWidget(voltage);

  auto* splitRow = new QHBoxLayout;
  auto* split = new QCheckBox(QCoreApplication::translate("MainWindow", "Делить на файлы по"), &dialog);
  split->setObjectName(QStringLiteral("split"));
  auto* size = new QSpinBox(&dialog);
  size->setObjectName(QStringLiteral("splitSize"));
  size->setRange(int(kMp4MinimumSplitBytes >> 20), 1 << 20);
  size->setSuffix(QCoreApplication::translate("MainWindow", " МБ"));
  size->setValue(last.splitBytes > 0 ? int(last.splitBytes >> 20) : 700);
  split->setChecked(last.splitBytes > 0);
  size->setEnabled(split->isChecked());
  QObject::connect(split, &QCheckBox::toggled, size, &QSpinBox::setEnabled);
  splitRow->addWidget(split);
  splitRow->addWidget(size);
  splitRow->addStretch();
  layout->addLayout(splitRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (TMainForm::mp4DialogHook) QTimer::singleShot(0, &dialog, [&dialog] { TMainForm::mp4DialogHook(dialog); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  Mp4Options o;
  o.camera = group->checkedId() == 2 ? -1 : group->checkedId();
  o.arrangement = Mp4Options::Arrangement(arrangement->currentIndex());
  o.stampSpeed = speed->isChecked();
  o.stampVoltage = voltage->isChecked();
  o.splitBytes = split->isChecked() ? uint64_t(size->value()) << 20 : 0;
  return o;
}

}  // namespace

void TMainForm::ActionSaveMP4Execute() {
  if (depth_ > 0 || viewer.selection().Count() <= 0) return;
  Call([this] { viewer.StopBtnClick(); });
  std::optional<Mp4Options> options;
  {
    DepthScope scope(depth_);
    options = AskMp4Options(this, viewer.selection().ActiveCamera(), mp4Choice_);
  }
  if (!options) return;
  mp4Choice_ = *options;
  const Viewer::Fragment fragment = viewer.MarkedFragment(options->camera);
  if (fragment.status != Viewer::Fragment::Status::Ok) {
    ShowMessageBox(fragment.Message(), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  options->cameras = viewer.cameraSettings();
  FileQuestion q;
  q.title = Tr("MainWindow", "Сохранение видео фрагмента в MP4");
  q.filter = Tr("MainWindow", "Файлы MP4 (*.mp4)");
  q.save = true;
  q.folder = mp4Folder_;
  std::optional<std::string> chosen;
  {
    DepthScope scope(depth_);
    chosen = AskMp4File(q);
  }
  if (!chosen) return;
  mp4Folder_ = QFileInfo(QString::fromStdString(*chosen)).absolutePath().toStdString();

  // The worker reads the session while the window waits with Cancel at hand.
  const Source& source = viewer.source();
  Mp4ExportResult r;
  RunWithProgress(Tr("MainWindow", "Сохранение MP4"), Tr("MainWindow", "Сохранение видео фрагмента в MP4 файл"),
                  [&](WorkProgress& progress) { r = ExportMp4(source, fragment.indices, *options, *chosen, progress); });
  if (r.cancelled) return;
  if (r.failed) {
    ShowMessageBox(Format(Tr("MainWindow", "Возникла ошибка при записи MP4 файла!\r%s"), r.message.c_str()), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  ShowSaved(Format(Tr("MainWindow", "Видео сохранено: %s (%d кадров, %.1f с)"), chosen->c_str(), r.frames, r.seconds));
}

}  // namespace quovil

#endif
