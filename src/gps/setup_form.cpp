#include "gps/setup_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include "platform/translate.h"

namespace quovil {

namespace {

QLabel* Note(const char* text, const char* colour = nullptr, bool bold = false) {
  auto* l = new QLabel(QString::fromUtf8(text));
  QString style;
  if (colour) style += QStringLiteral("color: %1;").arg(QLatin1String(colour));
  if (bold) style += QStringLiteral("font-weight: bold;");
  l->setStyleSheet(style);
  return l;
}

QGroupBox* Group(const char* title, QCheckBox*& box, const char* caption, std::initializer_list<QWidget*> notes) {
  auto* g = new QGroupBox(QString::fromUtf8(title));
  auto* v = new QVBoxLayout(g);
  box = new QCheckBox(QString::fromUtf8(caption));
  box->setAttribute(Qt::WA_TransparentForMouseEvents);  // read-only: shows the state, takes no clicks
  box->setFocusPolicy(Qt::NoFocus);
  v->addWidget(box);
  for (QWidget* n : notes) v->addWidget(n);
  return g;
}

}  // namespace

TSetupForm::TSetupForm(QWidget* owner, std::function<void(bool)> onOpen,
                       std::function<MsgResult(const std::string&, MsgKind)> message)
    : QDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      onOpen_(std::move(onOpen)), message_(std::move(message)) {
  setObjectName(QStringLiteral("SetupForm"));
  setWindowTitle(QCoreApplication::translate("Gps", "Установка и настройка программы обзора карты и GPS данных"));
  setModal(false);
  auto* v = new QVBoxLayout(this);
  v->addWidget(Note(Tr("Gps", "Для отображения GPS данных на карте необходимо "), "blue", true));
  v->addWidget(Note(Tr("Gps", "выполнить следущие пункты по настройке системы:"), "blue", true));
  v->addWidget(Group(Tr("Gps", " Шаг 1 "), CheckStep[0], Tr("Gps", "Установка драйвера COM0COM"),
                     {Note(Tr("Gps", "COM0COM используется для передачи GPS данных"))}));
  auto* warn = Note(Tr("Gps", "Внимание! При установке  Windows  попросит  произвести  поиск драйвера.\n"
                       "Ответьте \"Нет не в этот раз\" и выберите автоматическую установку.\n"
                       "Если Windows сообщит, что имя порта уже занято в базе COM портов:"), "red");
  auto* quoted = Note("\"The port name ... is already logged as \"in use\" in the COM port database\"", "black");
  auto* cont = Note(Tr("Gps", "нажмите \"Продолжить\"."), "red");
  v->addWidget(Group(Tr("Gps", " Шаг 2 "), CheckStep[1], Tr("Gps", "Настройка портов для передачи данных (GPS1 И COM)"), {warn, quoted, cont}));
  auto* link = new QLabel(QStringLiteral("<a href=\"http://www.sasgis.org\">http://www.sasgis.org</a>"));
  link->setOpenExternalLinks(true);
  v->addWidget(Group(Tr("Gps", " Шаг 3 "), CheckStep[2], Tr("Gps", "Выбор программы просмотра карты и GPS данных"),
                     {Note(Tr("Gps", "Вам будет предложено выбрать программу для отображения карты  и GPS")),
                      Note(Tr("Gps", "данных. Если у Вас нет такй программы, то можно воспользоваться бесплат-")),
                      Note(Tr("Gps", "ной программой SAS.Planet, последнюю версию которой можно скачать тут:")), link}));
  PortLabel = Note("", "red", true);
  v->addWidget(Group(Tr("Gps", " Шаг 4 "), CheckStep[3], Tr("Gps", "Настройка программы для работы с GPS портом"),
                     {Note(Tr("Gps", "Для отображения данных GPS на карте необходимо настроить COM порт для")),
                      Note(Tr("Gps", "приема данных. Если Вы используете программу SAS.Planet, то данные нас-")),
                      Note(Tr("Gps", "тройки будут сделаны автоматически. Иначе, используйте порт:")), PortLabel}));
  auto* buttons = new QHBoxLayout;
  ButtonOK = new QPushButton(QCoreApplication::translate("Gps", "Настроить"));
  ButtonCancel = new QPushButton(QCoreApplication::translate("Gps", "Отмена"));
  buttons->addStretch();
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  v->addLayout(buttons);
  connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(1); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonOKClick(2); });
}

void TSetupForm::ShowStep(int step, bool done) {
  if (step < 1 || step > 4) return;
  QCheckBox* box = CheckStep[size_t(step - 1)];
  box->setChecked(done);
  box->setStyleSheet(done ? QStringLiteral("color: rgb(0,128,0);") : QStringLiteral("color: rgb(255,0,0);"));
}

void TSetupForm::ShowPortLabel(const std::string& text) { PortLabel->setText(QString::fromStdString(text)); }

void TSetupForm::Open() {
  if (onOpen_) onOpen_(true);
  command_ = 0;
  ButtonOK->setEnabled(true);
  show();
  raise();
}

void TSetupForm::Close() {
  const int keep = command_;
  hide();
  command_ = keep;
  if (onOpen_) onOpen_(false);
}

int TSetupForm::Wait(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (command_ != 0) break;
    QThread::msleep(10);
  } while (t.elapsed() < ms);
  return command_;
}

void TSetupForm::EnableOk(bool on) { ButtonOK->setEnabled(on); }

bool TSetupForm::ChooseMapProgram(const std::string& current, std::string& chosen) {
  QFileDialog d(this, QCoreApplication::translate("Gps", "Выберите программу для отображения карты и GPS данных"),
                QFileInfo(QString::fromStdString(current)).absolutePath());
#ifdef _WIN32
  d.setNameFilter(QCoreApplication::translate("Gps", "Иполняемые файлы  (*.exe)"));
  d.setDefaultSuffix(QStringLiteral("exe"));
#endif
  d.setFileMode(QFileDialog::ExistingFile);
  d.setLabelText(QFileDialog::Accept, QCoreApplication::translate("Gps", "Запуск"));
  if (!current.empty()) d.selectFile(QString::fromStdString(current));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
  chosen = d.selectedFiles().first().toStdString();
  return true;
}

void TSetupForm::hideEvent(QHideEvent* event) {
  command_ = 2;
  QDialog::hideEvent(event);
}

void TSetupForm::closeEvent(QCloseEvent* event) {
  command_ = 2;
  QDialog::closeEvent(event);
}

}  // namespace quovil
